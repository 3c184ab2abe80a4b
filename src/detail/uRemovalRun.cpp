#include "uRemovalRun.h"

#include <QMessageBox>
#include <algorithm>

namespace quorvex {

namespace {

bool Confirm(QWidget* owner, ERemoval how, const std::vector<const TDataInfo*>& entries) {
    QMessageBox box(QMessageBox::Question, QStringLiteral("Warning"),
                    ConfirmationText(how, entries.size(), CheckedBytes(entries)),
                    QMessageBox::Yes | QMessageBox::No, owner);
    // Enter must not destroy anything: only a deliberate Yes does.
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

void ReportFailures(QWidget* owner, ERemoval how, const std::vector<TRemovalFailure>& failures) {
    constexpr int Shown = 10; // the rest in the details, so the box fits the screen
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Warning"),
                    FailureText(how, failures, Shown), QMessageBox::Ok, owner);
    if (failures.size() > Shown)
        box.setDetailedText(FailureText(how, failures, int(failures.size())));
    box.exec();
}

} // namespace

std::vector<const TDataInfo*> RunRemoval(QWidget* owner, ERemoval how,
                                         const std::vector<const TDataInfo*>& entries) {
    if (entries.empty() || !Confirm(owner, how, entries))
        return {};
    std::vector<const TDataInfo*> gone;
    std::vector<TRemovalFailure> failures;
    for (const TDataInfo* entry : RemovalOrder(entries, how)) {
        QString reason;
        if (RemoveEntry(*entry, how, reason))
            gone.push_back(entry);
        else
            failures.push_back({entry, reason});
    }
    std::sort(gone.begin(), gone.end());
    if (!failures.empty())
        ReportFailures(owner, how, failures);
    return gone;
}

} // namespace quorvex

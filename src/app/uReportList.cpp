#include "uReportList.h"

#include "uMain.h"
#include "uViewBinding.h"

#include <QDialog>
#include <QTreeView>
#include <QVBoxLayout>

namespace quorvex {

void ShowReportList(TEntryListModel& rows, TBaseView& view, QWidget* owner) {
    QDialog window(owner);
    window.setWindowTitle(QStringLiteral("Quorvex"));
    window.resize(900, 500);
    auto* list = new QTreeView(&window);
    list->setObjectName(QStringLiteral("VT"));
    StyleTreeView(list, false);
    auto* layout = new QVBoxLayout(&window);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(list);
    BindEntryView(list, rows, view);
    window.exec();
}

} // namespace quorvex

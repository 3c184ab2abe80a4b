#include "frmGroupOption.h"

#include "uApplication.h"
#include "uDataCtrl.h"
#include "uOptionInput.h"

#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace quorvex {

namespace {

template <typename T> T* Named(T* widget, const char* name, QRect geometry) {
    widget->setObjectName(QLatin1String(name));
    widget->setGeometry(geometry);
    return widget;
}

QPushButton* NewButton(const QString& caption, const char* name, QPoint at, QWidget* parent) {
    auto* button = Named(new QPushButton(caption, parent), name, QRect(at, QSize(75, 25)));
    button->setAutoDefault(false); // Enter presses no button in this dialog
    return button;
}

} // namespace

TFrame1::TFrame1(QWidget* parent) : QFrame(parent) {
    SetupControls();
    ConnectHandlers();
}

void TFrame1::SetupControls() {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    Panel3 = new QFrame(this);
    Panel3->setObjectName(QStringLiteral("Panel3"));
    Panel3->setFrameStyle(QFrame::Box | QFrame::Sunken); // lowered outside, raised inside
    layout->addWidget(Panel3);

    vleList = Named(new TRangeGridView(FModel, Panel3), "vleList", QRect(8, 16, 322, 265));
    Label5 = Named(new QLabel(QStringLiteral("Caption:"), Panel3), "Label5", {353, 40, 121, 17});
    edCaption = Named(new QLineEdit(Panel3), "edCaption", {353, 64, 121, 21});
    Label6 = Named(new QLabel(QStringLiteral("Value:"), Panel3), "Label6", {356, 97, 121, 17});
    edValue = Named(new QLineEdit(Panel3), "edValue", {355, 121, 121, 21});
    InstallDigitFilter(edValue);
    btnAdd = NewButton(QStringLiteral("Add To List"), "btnAdd", {393, 160}, Panel3);
    btnDelete = NewButton(QStringLiteral("Delete Row"), "btnDelete", {248, 288}, Panel3);
}

void TFrame1::ConnectHandlers() {
    connect(vleList->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                if (!FLoading && current.isValid())
                    vleListSelectCell(current.row() + 1);
            });
    // A click on the cell that is current already selects it too (the first cell after
    // loading is current without being selected).
    connect(vleList, &QAbstractItemView::pressed, this,
            [this](const QModelIndex& cell) { vleListSelectCell(cell.row() + 1); });
    connect(vleList, &TRangeGridView::RowDeleted, this,
            [this] { vleListSelectCell(vleList->currentIndex().row() + 1); });
    // The edits mirror the selected row, also when it is changed in the grid itself.
    connect(&FModel, &QAbstractItemModel::dataChanged, this, &TFrame1::ShowCurrentRow);
    // A dialog on its way out commits an open cell editor as it hides; what that refuses is
    // dropped with the dialog, and no message should outlive it.
    connect(&FModel, &TRangeGridModel::Refused, this, [this](const QString& message) {
        if (!window()->isHidden())
            ShowErrorMessage(message);
    });
    // Edits, not key releases: a key that changes nothing (such as the Enter that closed a
    // refusal message) must not refuse the same text again.
    connect(edCaption, &QLineEdit::textEdited, this, &TFrame1::edCaptionKeyUp);
    connect(edValue, &QLineEdit::textEdited, this, &TFrame1::edValueKeyUp);
    connect(btnAdd, &QPushButton::clicked, this, &TFrame1::btnAddClick);
    connect(btnDelete, &QPushButton::clicked, this, &TFrame1::btnDeleteClick);
}

void TFrame1::ClearRows() {
    FLoading = true;
    FModel.Clear();
    // The first cell is current, as in a freshly shown grid, without counting as selected
    // and without an editor taking the focus from where the user is.
    const auto triggers = vleList->editTriggers();
    vleList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    vleList->setCurrentIndex(FModel.index(0, 0));
    vleList->setEditTriggers(triggers);
    FLoading = false;
}

QString TFrame1::AppendRow(const QString& caption, const QString& value) {
    return FModel.PutRow(FModel.RowCount() - 1, {caption, value});
}

bool TFrame1::ReadItems(std::vector<TRangeValue>& items, QString& error) const {
    items.clear();
    for (const TRangeRow& row : FModel.Rows()) {
        if (row.Caption.isEmpty())
            continue;
        const auto value = ReadInteger64(row.Value);
        if (!value) {
            error = NotAnIntegerMessage(row.Value);
            return false;
        }
        items.push_back({row.Caption.toStdString(), *value});
    }
    if (items.size() + 1 > TDataCtrl::MaxGroups) {
        error = QStringLiteral("A range list holds at most %1 items, not %2")
                    .arg(TDataCtrl::MaxGroups - 1)
                    .arg(items.size());
        return false;
    }
    return true;
}

void TFrame1::vleListSelectCell(int row) {
    FCurrent = FModel.index(row - 1, 0);
    ShowCurrentRow();
}

void TFrame1::ShowCurrentRow() {
    if (!FCurrent.isValid())
        return;
    const TRangeRow& row = FModel.Row(FCurrent.row());
    // Only real differences: resetting the text under the typing cursor would move it.
    if (edCaption->text() != row.Caption)
        edCaption->setText(row.Caption);
    if (edValue->text() != row.Value)
        edValue->setText(row.Value);
}

void TFrame1::edCaptionKeyUp(const QString& text) {
    if (CurrentRow() == 0)
        return;
    const QString error = FModel.SetCaption(CurrentRow() - 1, text);
    if (!error.isEmpty())
        ShowErrorMessage(error);
}

void TFrame1::edValueKeyUp(const QString& text) {
    if (CurrentRow() > 0)
        FModel.SetValue(CurrentRow() - 1, text);
}

void TFrame1::btnAddClick() {
    if (edCaption->text().isEmpty() || edValue->text().isEmpty())
        return;
    const QModelIndex current = vleList->currentIndex();
    const QString error =
        FModel.PutRow(current.isValid() ? current.row() : -1, {edCaption->text(), edValue->text()});
    if (!error.isEmpty())
        ShowErrorMessage(error);
}

void TFrame1::btnDeleteClick() {
    if (CurrentRow() > 0)
        vleList->DeleteRow(CurrentRow() - 1);
}

} // namespace quorvex

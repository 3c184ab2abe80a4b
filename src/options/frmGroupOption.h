#pragma once

#include "uRangeGrid.h"

#include <QFrame>
#include <QPersistentModelIndex>
#include <cstdint>
#include <string>
#include <vector>

class QLabel;
class QLineEdit;
class QPushButton;

namespace quorvex {

/// A range item as the options dialog writes it.
struct TRangeValue {
    std::string Caption;
    std::int64_t Value = 0;
};

/// The range editor of one range list: the caption/value grid, and two edits with "Add To
/// List" and "Delete Row" beside it. Once the user has selected a row, the edits show it and
/// typing in them changes it key by key.
class TFrame1 : public QFrame {
    Q_OBJECT
public:
    explicit TFrame1(QWidget* parent = nullptr);

    /// The grid row the user selected last (row 1 is the first below the title row); 0 for
    /// none. It follows its row when rows are dragged or inserted; reloading forgets it.
    int CurrentRow() const { return FCurrent.isValid() ? FCurrent.row() + 1 : 0; }

    /// Empties the grid without touching the edits.
    void ClearRows();
    /// Appends a row; returns the refusal message (duplicate caption, "=") or empty.
    QString AppendRow(const QString& caption, const QString& value);
    /// The items of the non-empty captions, top to bottom. A value that is not a 64-bit
    /// integer, or more items than the groups can hold, gives false with its message in
    /// `error`.
    bool ReadItems(std::vector<TRangeValue>& items, QString& error) const;

    TRangeGridModel& Grid() { return FModel; }

    QFrame* Panel3 = nullptr;
    TRangeGridView* vleList = nullptr;
    QLabel* Label5 = nullptr;
    QLineEdit* edCaption = nullptr;
    QLabel* Label6 = nullptr;
    QLineEdit* edValue = nullptr;
    QPushButton* btnAdd = nullptr;
    QPushButton* btnDelete = nullptr;

public slots:
    void vleListSelectCell(int row);
    void edCaptionKeyUp(const QString& text);
    void edValueKeyUp(const QString& text);
    void btnAddClick();
    void btnDeleteClick();

private:
    void SetupControls();
    void ConnectHandlers();
    void ShowCurrentRow();

    TRangeGridModel FModel;
    QPersistentModelIndex FCurrent;
    bool FLoading = false;
};

} // namespace quorvex

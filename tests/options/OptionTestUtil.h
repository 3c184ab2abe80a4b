#pragma once

#include "KestrixFAConfig.h"
#include "uRangeGrid.h"

#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QStringList>
#include <QTest>
#include <QTimer>
#include <sstream>

namespace quorvex::test {

/// Closes every message box that opens while it lives, keeping the texts in order.
class TMessageWatch : public QObject {
public:
    QStringList Texts;
    TMessageWatch() {
        connect(&FTimer, &QTimer::timeout, this, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                Texts << box->text();
                box->done(QMessageBox::Ok);
            }
        });
        FTimer.start(5);
    }

private:
    QTimer FTimer;
};

/// Types `text` into `edit` in place of what it holds, key by key.
inline void Retype(QLineEdit* edit, const QString& text) {
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClicks(edit, text);
}

/// The whole document as XML text, to tell whether anything in it changed.
inline std::string DocumentText(const IXMLConfigType& config) {
    std::ostringstream out;
    config->Document()->save(out);
    return out.str();
}

/// "caption=value" of every grid row, top to bottom.
inline QStringList GridRows(const TRangeGridModel& grid) {
    QStringList rows;
    for (const TRangeRow& row : grid.Rows())
        rows << row.Caption + "=" + row.Value;
    return rows;
}

/// "caption=value" of every item of a range list, in document order.
inline QStringList RangeItems(const TXMLRangeType& range) {
    QStringList items;
    for (int i = 0; i < range.Count(); ++i)
        items << QString::fromStdString(range.Item(i).Caption()) + "=" +
                     QString::number(range.Item(i).Value());
    return items;
}

} // namespace quorvex::test

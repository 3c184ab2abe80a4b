#pragma once

#include "uExportSave.h"
#include "uExportView.h"

#include <QDialog>
#include <QIcon>

class QLabel;
class QListWidget;
class QPushButton;
class QRadioButton;

namespace quorvex {

class TBaseView;
class TChangesModel;

// The report writers of the dialog: each asks the save step for a path (false when it gives
// none), then writes the whole report on a worker thread behind the wait window "Generate
// Report.." with its Cancel (RunExport). True when the report was written; false also when
// it was cancelled or failed (said in a message box over `owner`).

bool ExportVTsToHtml(const TReportList& list, const TSaveStep& save, QWidget* owner = nullptr);
bool ExportVTsToText(const TReportList& list, const QString& separator, const TSaveStep& save,
                     QWidget* owner = nullptr);
bool ExportVTsToCsv(const TReportList& list, const TSaveStep& save, QWidget* owner = nullptr);
bool ExportVTsToXml(const TReportList& list, const TSaveStep& save, QWidget* owner = nullptr);
bool ExportVTsToExcel(const TReportList& list, const TSaveStep& save, QWidget* owner = nullptr);

/// The "Generate Report" dialog: tick views of the main window, pick a format, write them
/// all into one file. It stays open after a report for the next one.
class TFMReport : public QDialog {
    Q_OBJECT
public:
    /// `controller` is the main window's view controller (null before it exists).
    explicit TFMReport(TBaseView* controller, QWidget* owner = nullptr);

    QLabel* Label1 = nullptr;
    QListWidget* clbVTList = nullptr;
    QLabel* Label2 = nullptr;
    QRadioButton *rbHtml = nullptr, *rbExcel = nullptr, *rbTxt = nullptr, *rbCSV = nullptr,
                 *rbXML = nullptr;
    QPushButton* btnReport = nullptr;

    /// Adds the changes list of a comparison as the last item, "Changes" (null: none).
    void OfferChanges(const TChangesModel* changes);

    /// Where the report goes: the save dialog unless a test sets another step.
    TSaveStep FSelectSaveFile;

public slots:
    void btnReportClick();

private:
    QRadioButton* AddFormat(const char* name, const QString& text, EExportFormat format, int row);
    void Notice(const QString& text);

    TBaseView* FController;
    const TChangesModel* FChanges = nullptr;
};

/// The picture of a file format: the icon theme's for its type, or a drawn page with a
/// coloured band naming the format ("HTM", "XLS", ...) when the theme has none.
QIcon FormatIcon(EExportFormat format);

/// Tools, "Generate Report": the dialog over BaseView, modal, owned by `owner`, freed when
/// the user closes it.
void ShowReportDialog(QWidget* owner, const TChangesModel* changes = nullptr);

} // namespace quorvex

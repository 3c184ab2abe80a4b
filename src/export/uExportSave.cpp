#include "uExportSave.h"

#include "uExportVT.h"
#include "uExportVTEx.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

namespace quorvex {

namespace {

// "HTML File|*.htm" in the dialog's form "HTML File (*.htm)".
QString DialogFilter(const QString& filter) {
    const qsizetype bar = filter.indexOf(u'|');
    if (bar < 0)
        return filter;
    return filter.left(bar) + QStringLiteral(" (") + filter.mid(bar + 1) + u')';
}

bool ConfirmOverwrite(QWidget* owner) {
    return QMessageBox::question(owner, QStringLiteral("Warning"),
                                 QStringLiteral("File with the same name already exists,"
                                                "overwrite?"),
                                 QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

} // namespace

QString SelectSaveFile(const QString& defaultExt, const QString& filter, const QString& initialName,
                       QWidget* owner) {
    QFileDialog dialog(owner);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite); // the question below is ours
    dialog.setDefaultSuffix(defaultExt.startsWith(u'.') ? defaultExt.mid(1) : defaultExt);
    dialog.setNameFilter(DialogFilter(filter));
    if (!initialName.isEmpty())
        dialog.selectFile(initialName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    const QString path = dialog.selectedFiles().constFirst();
    if (QFileInfo::exists(path) && !ConfirmOverwrite(owner))
        return {};
    return path;
}

TSaveStep SaveDialogStep(QWidget* owner) {
    return [owner](EExportFormat format) {
        const TExportFormatInfo info = FormatInfo(format);
        return SelectSaveFile(info.DefaultExt, info.Filter, QString(), owner);
    };
}

TCursorScope::TCursorScope() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

TCursorScope::~TCursorScope() {
    QApplication::restoreOverrideCursor();
}

std::filesystem::path FilePath(const QString& path) {
    return std::filesystem::path(QFile::encodeName(path).toStdString());
}

bool ExportVTToHtml(const QAbstractItemModel& view, const TSaveStep& save) {
    const QString path = save(EExportFormat::Html);
    if (!path.isEmpty())
        WriteVTHtml(TModelExportView(view), FilePath(path));
    return !path.isEmpty();
}

bool ExportVTToText(const QAbstractItemModel& view, const QString& separator,
                    const TSaveStep& save) {
    const QString path = save(EExportFormat::Text);
    if (!path.isEmpty())
        WriteVTText(TModelExportView(view), separator, FilePath(path));
    return !path.isEmpty();
}

bool ExportVTToCsv(const QAbstractItemModel& view, const TSaveStep& save) {
    const QString path = save(EExportFormat::Csv);
    if (!path.isEmpty())
        WriteVTCsv(TModelExportView(view), FilePath(path));
    return !path.isEmpty();
}

bool ExportVTToXml(const QAbstractItemModel& view, const TSaveStep& save) {
    const QString path = save(EExportFormat::Xml);
    if (!path.isEmpty())
        WriteVTXml(TModelExportView(view), FilePath(path));
    return !path.isEmpty();
}

bool ExportVTToExcel(const QAbstractItemModel& view, const TSaveStep& save, QWidget* owner) {
    const TModelExportView reader(view);
    if (!FitsExcelList(reader)) {
        QMessageBox::warning(owner, QStringLiteral("Warning"),
                             QString::fromLatin1(ExcelRangeMessage));
        return false;
    }
    const QString path = save(EExportFormat::Excel);
    if (path.isEmpty())
        return false;
    TCursorScope hourglass;
    WriteVTExcel(reader, FilePath(path));
    return true;
}

} // namespace quorvex

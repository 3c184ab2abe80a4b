#include "uExportSave.h"

#include "uExportRunner.h"
#include "uExportVT.h"
#include "uExportVTEx.h"

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

std::filesystem::path FilePath(const QString& path) {
    return std::filesystem::path(QFile::encodeName(path).toStdString());
}

namespace {

// The path from the save step, then the writer on a worker thread with the view counted.
template <typename TWrite>
bool ExportView(const QAbstractItemModel& view, EExportFormat format, const TSaveStep& save,
                QWidget* owner, TWrite&& write) {
    const QString path = save(format);
    if (path.isEmpty())
        return false;
    const TModelExportView reader(view);
    return RunExport(
        QStringLiteral("Exporting.."),
        [&](TExportProgress& progress) {
            progress.Expect(reader.EntryCount());
            write(TCountedView(reader, progress), FilePath(path));
        },
        owner);
}

} // namespace

bool ExportVTToHtml(const QAbstractItemModel& view, const TSaveStep& save, QWidget* owner) {
    return ExportView(view, EExportFormat::Html, save, owner, WriteVTHtml);
}

bool ExportVTToText(const QAbstractItemModel& view, const QString& separator, const TSaveStep& save,
                    QWidget* owner) {
    return ExportView(view, EExportFormat::Text, save, owner,
                      [&](const TExportView& reader, const std::filesystem::path& path) {
                          WriteVTText(reader, separator, path);
                      });
}

bool ExportVTToCsv(const QAbstractItemModel& view, const TSaveStep& save, QWidget* owner) {
    return ExportView(view, EExportFormat::Csv, save, owner, WriteVTCsv);
}

bool ExportVTToXml(const QAbstractItemModel& view, const TSaveStep& save, QWidget* owner) {
    return ExportView(view, EExportFormat::Xml, save, owner, WriteVTXml);
}

bool ExportVTToExcel(const QAbstractItemModel& view, const TSaveStep& save, QWidget* owner) {
    if (!FitsExcelList(TModelExportView(view))) {
        QMessageBox::warning(owner, QStringLiteral("Warning"),
                             QString::fromLatin1(ExcelRangeMessage));
        return false;
    }
    return ExportView(view, EExportFormat::Excel, save, owner, WriteVTExcel);
}

} // namespace quorvex

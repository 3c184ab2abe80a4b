#include "uReport.h"

#include "uExportRunner.h"
#include "uExportVTEx.h"
#include "uMain.h"
#include "uReportDocs.h"
#include "uTheme.h"
#include "uWaitForm.h"

#include <QGuiApplication>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>

namespace quorvex {

// ---- Writers ---------------------------------------------------------------------------------

namespace {

template <typename TWrite>
bool Generate(EExportFormat format, const TReportList& list, const TSaveStep& save, QWidget* owner,
              TWrite&& write) {
    const QString path = save(format);
    if (path.isEmpty())
        return false;
    return RunExport(
        QStringLiteral("Generate Report.."),
        [&](TExportProgress& progress) { write(CountedList(list, progress), FilePath(path)); },
        owner);
}

} // namespace

bool ExportVTsToHtml(const TReportList& list, const TSaveStep& save, QWidget* owner) {
    return Generate(EExportFormat::Html, list, save, owner, WriteVTsHtml);
}

bool ExportVTsToText(const TReportList& list, const QString& separator, const TSaveStep& save,
                     QWidget* owner) {
    return Generate(EExportFormat::Text, list, save, owner,
                    [&](const TReportList& counted, const std::filesystem::path& path) {
                        WriteVTsText(counted, separator, path);
                    });
}

bool ExportVTsToCsv(const TReportList& list, const TSaveStep& save, QWidget* owner) {
    return Generate(EExportFormat::Csv, list, save, owner, WriteVTsCsv);
}

bool ExportVTsToXml(const TReportList& list, const TSaveStep& save, QWidget* owner) {
    return Generate(EExportFormat::Xml, list, save, owner, WriteVTsXml);
}

bool ExportVTsToExcel(const TReportList& list, const TSaveStep& save, QWidget* owner) {
    return Generate(EExportFormat::Excel, list, save, owner, WriteVTsExcel);
}

// ---- Icons -----------------------------------------------------------------------------------

namespace {

// A page with a folded corner and a coloured band naming the format.
QPixmap DrawnFormatIcon(const char* tag, const QColor& colour) {
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QPolygonF page({{6, 1.5}, {21, 1.5}, {27.5, 8}, {27.5, 30.5}, {6, 30.5}});
    p.setPen(QPen(QColor(120, 120, 120), 1));
    p.setBrush(Qt::white);
    p.drawPolygon(page);
    p.setBrush(QColor(220, 220, 220));
    p.drawPolygon(QPolygonF({{21, 1.5}, {21, 8}, {27.5, 8}}));
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawRoundedRect(QRectF(2, 15, 26, 11), 2, 2);
    QFont font(QStringLiteral("Sans Serif"));
    font.setPixelSize(9);
    font.setBold(true);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRectF(2, 15, 26, 11), Qt::AlignCenter, QString::fromLatin1(tag));
    return pixmap;
}

// The button's glyph: a small report page with a bar chart.
QIcon ReportGlyph() {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setPen(QColor(110, 110, 110));
    p.setBrush(Qt::white);
    p.drawRect(2, 0, 11, 15);
    const QColor bars[] = {QColor(0x21, 0x73, 0x46), QColor(0xE4, 0x4D, 0x26),
                           QColor(0x1E, 0x66, 0xC8)};
    const int heights[] = {5, 9, 7};
    for (int i = 0; i < 3; ++i)
        p.fillRect(4 + 3 * i, 13 - heights[i], 2, heights[i], bars[i]);
    return QIcon(pixmap);
}

} // namespace

QIcon FormatIcon(EExportFormat format) {
    auto icon = [](const char* name, const char* tag, QColor colour) {
        return ThemeIcon(name, QIcon(DrawnFormatIcon(tag, colour)));
    };
    switch (format) {
    case EExportFormat::Html:
        return icon("text-html", "HTM", QColor(0xE4, 0x4D, 0x26));
    case EExportFormat::Excel:
        return icon("x-office-spreadsheet", "XLS", QColor(0x21, 0x73, 0x46));
    case EExportFormat::Text:
        return icon("text-x-generic", "TXT", QColor(0x60, 0x7D, 0x8B));
    case EExportFormat::Csv:
        return icon("text-csv", "CSV", QColor(0x00, 0x89, 0x7B));
    case EExportFormat::Xml:
        return icon("text-xml", "XML", QColor(0x7B, 0x1F, 0xA2));
    }
    return {};
}

// ---- The dialog ------------------------------------------------------------------------------

TFMReport::TFMReport(TBaseView* controller, QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                         Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                         Qt::WindowCloseButtonHint),
      FSelectSaveFile(SaveDialogStep(this)), FController(controller) {
    setObjectName(QStringLiteral("FMReport"));
    setWindowTitle(QStringLiteral("Generate Report"));
    setFixedSize(354, 342);
    QFont font(QStringLiteral("Sans Serif"));
    font.setPixelSize(11);
    setFont(font);

    Label1 = new QLabel(QStringLiteral("Select Report Content:"), this);
    Label1->setGeometry(10, 8, 220, 16);
    clbVTList = new QListWidget(this);
    clbVTList->setObjectName(QStringLiteral("clbVTList"));
    clbVTList->setGeometry(10, 26, 222, 264);
    QFont listFont = font;
    listFont.setPixelSize(13);
    clbVTList->setFont(listFont);
    for (const TReportView& view : ReportViews) {
        auto* item = new QListWidgetItem(QString::fromLatin1(view.Title), clbVTList);
        item->setFlags(Qt::ItemIsUserCheckable | Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        item->setCheckState(Qt::Unchecked);
    }

    Label2 = new QLabel(QStringLiteral("Select Format:"), this);
    Label2->setGeometry(244, 8, 104, 16);
    rbHtml = AddFormat("rbHtml", QStringLiteral("Html"), EExportFormat::Html, 0);
    rbExcel = AddFormat("rbExcel", QStringLiteral("Excel"), EExportFormat::Excel, 1);
    rbTxt = AddFormat("rbTxt", QStringLiteral("Text"), EExportFormat::Text, 2);
    rbCSV = AddFormat("rbCSV", QStringLiteral("CSV"), EExportFormat::Csv, 3);
    rbXML = AddFormat("rbXML", QStringLiteral("XML"), EExportFormat::Xml, 4);
    rbHtml->setChecked(true);

    btnReport = new QPushButton(ThemeIcon("document-save", ReportGlyph()),
                                QStringLiteral("  Generate Report Now"), this);
    btnReport->setObjectName(QStringLiteral("btnReport"));
    btnReport->setGeometry(10, 300, 334, 32);
    btnReport->setAutoDefault(false);
    connect(btnReport, &QPushButton::clicked, this, &TFMReport::btnReportClick);

    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

QRadioButton* TFMReport::AddFormat(const char* name, const QString& text, EExportFormat format,
                                   int row) {
    auto* button = new QRadioButton(text, this);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(244, 30 + 50 * row, 64, 32);
    auto* icon = new QLabel(this);
    icon->setPixmap(FormatIcon(format).pixmap(32, 32));
    icon->setGeometry(310, 30 + 50 * row, 32, 32);
    return button;
}

void TFMReport::OfferChanges(const TChangesModel* changes) {
    if (!changes || FChanges)
        return;
    FChanges = changes;
    auto* item = new QListWidgetItem(QString::fromLatin1(ChangesViewTitle), clbVTList);
    item->setFlags(Qt::ItemIsUserCheckable | Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    item->setCheckState(Qt::Unchecked);
}

void TFMReport::Notice(const QString& text) {
    QMessageBox::information(this, QStringLiteral("Quorvex"), text);
}

void TFMReport::btnReportClick() {
    if (!FController || FController->VTLeft().TotalRowCount() == 0)
        return Notice(QStringLiteral("Please open one directory and scan first!"));
    TReportList list;
    for (int i = 0; i < clbVTList->count(); ++i)
        if (clbVTList->item(i)->checkState() == Qt::Checked)
            list.push_back(i < int(std::size(ReportViews))
                               ? ReportItem(*FController, std::size_t(i))
                               : ChangesReportItem(*FChanges));
    if (list.empty())
        return Notice(QStringLiteral("Please select content to generate report!"));
    bool written = false;
    if (rbHtml->isChecked())
        written = ExportVTsToHtml(list, FSelectSaveFile, this);
    else if (rbExcel->isChecked())
        written = ExportVTsToExcel(list, FSelectSaveFile, this);
    else if (rbTxt->isChecked())
        written =
            ExportVTsToText(list, QString::fromLatin1(ReportTextSeparator), FSelectSaveFile, this);
    else if (rbCSV->isChecked())
        written = ExportVTsToCsv(list, FSelectSaveFile, this);
    else if (rbXML->isChecked())
        written = ExportVTsToXml(list, FSelectSaveFile, this);
    if (written)
        Notice(QStringLiteral("Report generated!"));
}

void ShowReportDialog(QWidget* owner, const TChangesModel* changes) {
    TFMReport dialog(BaseView, owner);
    dialog.OfferChanges(changes);
    dialog.exec();
}

} // namespace quorvex

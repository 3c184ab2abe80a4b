// The writers over the real views of a scanned tree whose names are hostile to every format:
// each export parses back (XML with pugixml and a strict reader, HTML tags balanced, CSV
// with an RFC 4180 reader, the workbook with openpyxl) to what the views show.
#include "ExportTestUtil.h"
#include "ViewFixture.h"
#include "uExportFile.h"
#include "uExportVT.h"
#include "uExportVTEx.h"
#include "uReportDocs.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>
#include <QXmlStreamReader>
#include <pugixml.hpp>

namespace fs = std::filesystem;
using namespace quorvex;
using namespace quorvex::test;

namespace {

const std::vector<std::string> Hostile = {
    "<script>x&y.htm:3",
    "a,b\"c\".csv:5",
    "line\nbreak.txt:1",
    "tab\there.txt:2",
    "ctl\x01\x1f.txt:0",
    "bad\xff\xfe.bin:4",
    "emoji\xF0\x9F\x98\x80.txt:1",
    "co:lon.txt:1",
    "dir&<>/a>b]]>.xml:2",
    "empty/",
    "1234:7",
    "\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4"
    "\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4.txt:1"};

struct TTexts {
    QStringList Captions;
    std::vector<QStringList> Rows;
};

// The columns a report takes from a view: an entry view's share column is its own.
int ReportedColumns(const QAbstractItemModel& model) {
    const auto* entries = qobject_cast<const TEntryModel*>(&model);
    return entries && entries->ShareColumn() >= 0 ? entries->ShareColumn() : model.columnCount();
}

// What the view shows, read from the model itself: captions, then every row in pre-order.
void AddRows(const QAbstractItemModel& model, const QModelIndex& parent, TTexts& texts) {
    for (int row = 0; row < model.rowCount(parent); ++row) {
        QStringList cells;
        for (int c = 0; c < ReportedColumns(model); ++c)
            cells << model.index(row, c, parent).data().toString();
        texts.Rows.push_back(cells);
        AddRows(model, model.index(row, 0, parent), texts);
    }
}

TTexts TextsOf(const QAbstractItemModel& model) {
    TTexts texts;
    for (int c = 0; c < ReportedColumns(model); ++c)
        texts.Captions << model.headerData(c, Qt::Horizontal).toString();
    AddRows(model, {}, texts);
    return texts;
}

TTexts TextsOf(const TExportView& view) {
    TTexts texts;
    for (int c = 0; c < view.ColumnCount(); ++c)
        texts.Captions << view.Caption(c);
    view.Walk([&](const TExportRow& row) {
        QStringList cells;
        for (int c = 0; c < view.ColumnCount(); ++c)
            cells << row.CellText(c);
        texts.Rows.push_back(cells);
        return true;
    });
    return texts;
}

// What XML keeps of a text: the characters it cannot hold become U+FFFD.
QString XmlKept(QString text) {
    for (QChar& c : text)
        if (c.unicode() < 0x20 && c != u'\t' && c != u'\n' && c != u'\r')
            c = QChar(0xFFFD);
    return text;
}

void CheckUtf8CrLf(const std::string& bytes, bool rawLineFeedsAllowed) {
    QVERIFY(IsValidUtf8(bytes));
    QVERIFY(bytes.rfind("\xEF\xBB\xBF", 0) != 0);
    QVERIFY(bytes.empty() || (bytes.size() >= 2 && bytes.substr(bytes.size() - 2) == "\r\n"));
    if (!rawLineFeedsAllowed)
        for (std::size_t i = bytes.find('\n'); i != std::string::npos; i = bytes.find('\n', i + 1))
            QVERIFY(i > 0 && bytes[i - 1] == '\r');
}

// Tags only from the writer's own markup, balanced; "&" only in entities.
void CheckHtml(const QString& html) {
    static const QRegularExpression tag(
        QStringLiteral("<(/?)(HTML|HEAD|Title|Style|STYLE|BODY|H5|H6|br|A|Table|tr|td)[ >]"));
    QCOMPARE(html.count(u'<'), html.count(u'>'));
    qsizetype tags = 0;
    for (auto it = tag.globalMatch(html); it.hasNext(); it.next())
        ++tags;
    QCOMPARE(tags, html.count(u'<'));
    for (const char* name : {"Table", "tr", "td"})
        QCOMPARE(html.count(QStringLiteral("<%1").arg(name)),
                 html.count(QStringLiteral("</%1>").arg(name)));
    static const QRegularExpression bareAmp(
        QStringLiteral("&(?!amp;|lt;|gt;|quot;|#9;|#10;|#13;|nbsp)"));
    QVERIFY(!bareAmp.match(html).hasMatch());
}

// Parses with pugixml and strictly; returns the attribute values of every <file>.
std::vector<QStringList> XmlRows(const std::string& bytes) {
    pugi::xml_document doc;
    const pugi::xml_parse_result parsed = doc.load_buffer(bytes.data(), bytes.size());
    if (!parsed)
        qWarning() << "pugixml:" << parsed.description() << parsed.offset;
    QXmlStreamReader xml(QByteArray::fromStdString(bytes));
    std::vector<QStringList> rows;
    while (!xml.atEnd())
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == u"file") {
            QStringList values;
            for (const QXmlStreamAttribute& a : xml.attributes())
                values << a.value().toString();
            rows.push_back(values);
        }
    if (xml.hasError() || !parsed)
        qWarning() << "strict reader:" << xml.errorString() << xml.lineNumber();
    return (xml.hasError() || !parsed) ? std::vector<QStringList>{{"not well-formed"}} : rows;
}

QJsonObject ReadWorkbook(const fs::path& path) {
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"),
                 {QStringLiteral(QUORVEX_TEST_SOURCE_DIR "/read_workbook.py"),
                  QString::fromStdString(path.string())});
    if (!python.waitForFinished(120000) || python.exitCode() != 0)
        qWarning() << python.readAllStandardError();
    return QJsonDocument::fromJson(python.readAllStandardOutput()).object();
}

// A row as the workbook holds it: whole numbers that are not negative as numbers, empty cells as
// nothing, control characters as in XML.
QJsonArray Row(const QStringList& cells) {
    QJsonArray row;
    for (const QString& cell : cells) {
        const QString text = XmlKept(cell);
        bool whole = false;
        const qlonglong number = text.toLongLong(&whole);
        const bool asNumber = whole && number >= 0 && QString::number(number) == text;
        row << (text.isEmpty() ? QJsonValue() : asNumber ? QJsonValue(double(number)) : text);
    }
    return row;
}

} // namespace

class ExportViewsTest : public QObject {
    Q_OBJECT
private slots:
    void readerWalksEveryEntryWithHiddenColumns();
    void everyViewExportsWellFormed();
    void reportsNestAndParseBack();
    void workbookReadsBackAsTheViewsShowThem();
    void workbookRowLimits();
};

void ExportViewsTest::readerWalksEveryEntryWithHiddenColumns() {
    TViewFixture f({"a/x.txt:10", "a/sub/y:1", "b/", "c.txt:5"});
    f.Open();
    const TModelExportView detail(f.View->VTDetail());
    QStringList outline;
    detail.Walk([&](const TExportRow& row) {
        outline << QString(row.Depth() * 2, u' ') + row.CellText(ecFileName);
        return true;
    });
    QCOMPARE(outline, Outline(f.View->VTDetail(), ecFileName)); // pre-order, nothing collapsed
    QCOMPARE(detail.EntryCount(), qsizetype(outline.size()));
    const TModelExportView files(f.View->VTFileAll());
    QCOMPARE(files.ColumnCount(), 12); // DosName .. DiskSize are hidden on screen
    QCOMPARE(files.Caption(ecDiskSize), QString("Size on Disk"));
    QCOMPARE(files.Caption(ecDosName), QString("DosName"));
    QCOMPARE(files.Caption(ecFileName), QString("    FileName"));

    // Every view reads as its model shows it, cell for cell.
    for (const TReportView& report : ReportViews) {
        const TTexts shown = TextsOf(f.View->View(report.View));
        const TTexts read = TextsOf(TModelExportView(f.View->View(report.View)));
        QCOMPARE(read.Captions, shown.Captions);
        QCOMPARE(read.Rows, shown.Rows);
        QVERIFY(!shown.Rows.empty() || report.View == EView::VTFolderEmpty ||
                report.View == EView::VTFileEmpty);
    }

    // A nested list is read through a copy of its own (the export's thread must not share
    // the orders the views fill), with the order the user sorted it into.
    for (const EView tree : {EView::VTLeft, EView::VTDetail}) {
        TSortableModel& model = f.View->View(tree);
        std::vector<QStringList> orders[2];
        for (const Qt::SortOrder order : {Qt::AscendingOrder, Qt::DescendingOrder}) {
            model.SortRows(0, order);
            orders[order] = TextsOf(model).Rows;
            QCOMPARE(TextsOf(TModelExportView(model)).Rows, orders[order]);
        }
        QVERIFY(orders[0] != orders[1]); // the sorts changed the order
    }
}

void ExportViewsTest::everyViewExportsWellFormed() {
    TViewFixture f(Hostile);
    f.Open();
    TempDir out;
    for (const TReportView& report : ReportViews) {
        const TModelExportView view(f.View->View(report.View));
        const TTexts texts = TextsOf(f.View->View(report.View));
        WriteVTHtml(view, out.Path() / "v.htm");
        WriteVTCsv(view, out.Path() / "v.csv");
        WriteVTXml(view, out.Path() / "v.xml");
        WriteVTText(view, "  ,  ", out.Path() / "v.txt");
        const std::string html = ReadBytes(out.Path() / "v.htm");
        const std::string csv = ReadBytes(out.Path() / "v.csv");
        const std::string xml = ReadBytes(out.Path() / "v.xml");
        CheckUtf8CrLf(html, false);
        CheckUtf8CrLf(xml, false);
        CheckUtf8CrLf(csv, true);
        CheckUtf8CrLf(ReadBytes(out.Path() / "v.txt"), false);
        QCOMPARE(html.find('\n'), html.size() - 1); // one line
        CheckHtml(QString::fromStdString(html));

        std::vector<QStringList> expected{texts.Captions};
        expected.insert(expected.end(), texts.Rows.begin(), texts.Rows.end());
        QCOMPARE(ParseCsv(QString::fromStdString(csv), u','), expected);
        std::vector<QStringList> kept;
        for (const QStringList& row : texts.Rows) {
            QStringList cells;
            for (const QString& cell : row)
                cells << XmlKept(cell);
            kept.push_back(cells);
        }
        QCOMPARE(XmlRows(xml), kept);
    }
}

void ExportViewsTest::reportsNestAndParseBack() {
    TViewFixture f(Hostile);
    f.Open();
    TempDir out;
    TReportList list;
    for (std::size_t i = 0; i < ReportViews.size(); ++i)
        list.push_back(ReportItem(*f.View, i));
    for (const char* name : {"r.htm", "r.xml", "r.csv"})
        WriteReport(*FormatOfPath(name), list, out.Path() / name);
    CheckHtml(QString::fromStdString(ReadBytes(out.Path() / "r.htm")));

    // The CSV report: per non-empty view its title, captions and rows.
    std::vector<QStringList> expected;
    std::size_t entries = 0;
    for (const TReportView& report : ReportViews) {
        const TTexts texts = TextsOf(f.View->View(report.View));
        entries += texts.Rows.size();
        if (texts.Rows.empty())
            continue;
        expected.push_back({QString::fromLatin1(report.Title)});
        expected.push_back(texts.Captions);
        expected.insert(expected.end(), texts.Rows.begin(), texts.Rows.end());
    }
    QCOMPARE(ParseCsv(QString::fromStdString(ReadBytes(out.Path() / "r.csv")), u','), expected);

    // The XML report nests the folder tree and the detail list as the views do.
    pugi::xml_document doc;
    const std::string xml = ReadBytes(out.Path() / "r.xml");
    QVERIFY(doc.load_buffer(xml.data(), xml.size()));
    QCOMPARE(XmlRows(xml).size(), entries);
    const pugi::xml_node tree = doc.child("files").child("TotalFolderTree");
    const pugi::xml_node root = tree.child("file");
    QCOMPARE(QString::fromUtf8(root.attribute("FolderName").value()),
             QString::fromStdString(f.Root()));
    QVERIFY(root.find_child_by_attribute("file", "FolderName", "dir&<>"));
    QVERIFY(!root.next_sibling("file")); // one top-level entry
    QVERIFY(doc.child("files").child("Files-AllFiles").child("file").next_sibling("file"));
    QVERIFY(!doc.child("files").child("Files-AllFiles").child("file").child("file"));
    QVERIFY(!doc.child("files").child("Folders-EmptyFolders").empty());
}

void ExportViewsTest::workbookReadsBackAsTheViewsShowThem() {
    TViewFixture f(Hostile);
    f.Open();
    TempDir out;
    TReportList list;
    for (std::size_t i = 0; i < ReportViews.size(); ++i)
        list.push_back(ReportItem(*f.View, i));
    WriteReport(EExportFormat::Excel, list, out.Path() / "r.xlsx");
    const QJsonObject book = ReadWorkbook(out.Path() / "r.xlsx");
    QVERIFY(!book.value("decimalCommaInXml").toBool(true));
    const QJsonArray sheets = book.value("sheets").toArray();
    QCOMPARE(sheets.size(), qsizetype(list.size()));
    for (std::size_t i = 0; i < list.size(); ++i) {
        const QJsonObject sheet = sheets[qsizetype(i)].toObject();
        const TTexts texts = TextsOf(f.View->View(ReportViews[i].View));
        QCOMPARE(sheet.value("name").toString(), list[i].Title);
        const QString last = ColumnLetter(QString::number(texts.Captions.size()));
        QCOMPARE(sheet.value("merged").toArray(), QJsonArray({"A1:" + last + "1"}));
        QVERIFY(sheet.value("bold").toBool());
        QCOMPARE(sheet.value("horizontal").toString(), QString("center"));
        QCOMPARE(sheet.value("vertical").toString(), QString("center"));
        QVERIFY(sheet.value("bordered").toBool());
        const QJsonArray rows = sheet.value("rows").toArray();
        QCOMPARE(rows.size(), qsizetype(texts.Rows.size()) + 2);
        QCOMPARE(rows[0].toArray()[0].toString(), list[i].Title);
        QCOMPARE(rows[1].toArray(), Row(texts.Captions));
        for (std::size_t r = 0; r < texts.Rows.size(); ++r)
            QCOMPARE(rows[qsizetype(r) + 2].toArray(), Row(texts.Rows[r]));
    }
    // Widths count characters: the widest name has 24 characters in 44 bytes.
    const QJsonObject files = sheets[6].toObject();
    QCOMPARE(files.value("name").toString(), QString("Files - All Files"));
    const double width = files.value("widths").toObject().value("A").toDouble();
    QVERIFY2(width >= 25 && width < 26, QByteArray::number(width));
}

void ExportViewsTest::workbookRowLimits() {
    const auto rows = [](int count) {
        std::vector<TFakeView::TRow> list;
        for (int i = 0; i < count; ++i)
            list.push_back({0, {QString::number(i)}});
        return std::make_unique<TFakeView>(QStringList{"N"}, std::move(list));
    };
    TempDir out;
    QVERIFY(FitsExcelList(*rows(65534)));
    QVERIFY(!FitsExcelList(*rows(65535)));
    QVERIFY_THROWS_EXCEPTION(std::length_error,
                             WriteVTExcel(*rows(65535), out.Path() / "big.xlsx"));
    QVERIFY(!fs::exists(out.Path() / "big.xlsx"));
    WriteVTExcel(*rows(65534), out.Path() / "list.xlsx");
    TReportList report;
    report.push_back({"Big", rows(70000)});
    report.push_back({"Small", rows(1)});
    WriteVTsExcel(report, out.Path() / "report.xlsx");

    const QJsonArray list = ReadWorkbook(out.Path() / "list.xlsx")["sheets"].toArray();
    QCOMPARE(list[0]["rows"].toArray().size(), 65536);
    QCOMPARE(list[0]["rows"].toArray()[0].toArray()[0].toString(), QString("list"));
    const QJsonArray sheets = ReadWorkbook(out.Path() / "report.xlsx")["sheets"].toArray();
    QCOMPARE(sheets.size(), 2);
    const QJsonArray big = sheets[0]["rows"].toArray();
    QCOMPARE(big.size(), 65531);
    QCOMPARE(big.last().toArray()[0].toDouble(), 65528.0); // the first entries in walk order
    QCOMPARE(sheets[1]["rows"].toArray().size(), 3);
}

QTEST_GUILESS_MAIN(ExportViewsTest)
#include "ExportViewsTest.moc"

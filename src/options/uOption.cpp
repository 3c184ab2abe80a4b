#include "uOption.h"

#include "frmGroupOption.h"
#include "uApplication.h"
#include "uBaseConfig.h"
#include "uBaseView.h"
#include "uDataCtrl.h"
#include "uOptionIcons.h"
#include "uOptionInput.h"
#include "uWaitForm.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProxyStyle>
#include <QPushButton>
#include <QScreen>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <array>

namespace quorvex {

namespace {

template <typename T> T* Named(T* widget, const char* name) {
    widget->setObjectName(QLatin1String(name));
    return widget;
}

QLineEdit* NewEdit(const char* name, int y, QWidget* page) {
    auto* edit = Named(new QLineEdit(page), name);
    edit->setGeometry(286, y, 121, 21);
    return edit;
}

// The label sits left of its edit, its text ending just before it.
QLabel* NewLabel(const QString& text, const char* name, int y, QWidget* page) {
    auto* label = Named(new QLabel(text, page), name);
    label->setGeometry(8, y, 274, 21);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

// The application's style with less room beside the tab texts: with the usual room the four
// tabs with their 32-pixel icons do not fit the width of the dialog.
class TNarrowTabStyle : public QProxyStyle {
public:
    int pixelMetric(PixelMetric metric, const QStyleOption* option,
                    const QWidget* widget) const override {
        if (metric == PM_TabBarTabHSpace)
            return 8;
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
};

// The decimal text of an integer attribute. One that does not read is shown as stored, so the
// user can mend it, and its message joins `problems`.
template <typename TRead>
QString IntegerText(const TXMLElement& element, const char* attribute, TRead read,
                    QStringList& problems) {
    try {
        return QString::number(read());
    } catch (const EConvertError& e) {
        problems << QString::fromUtf8(e.what());
        return QString::fromUtf8(element.DOMNode().attribute(attribute).value());
    }
}

void LoadRange(TFrame1& frame, const TXMLRangeType& range, QStringList& problems) {
    frame.ClearRows();
    std::vector<TXMLItemType> items = range.Items();
    // A longer list cannot become groups; the grid shows what can, so that it opens at once
    // and OK writes a list that loads.
    constexpr std::size_t most = TDataCtrl::MaxGroups - 1;
    if (items.size() > most) {
        problems << QStringLiteral("<%1> holds %2 items; only the first %3 are shown")
                        .arg(QString::fromUtf8(range.DOMNode().name()))
                        .arg(items.size())
                        .arg(most);
        items.erase(items.begin() + most, items.end());
    }
    for (const TXMLItemType& item : items) {
        const QString value = IntegerText(
            item, "value", [&] { return item.Value(); }, problems);
        const QString error = frame.AppendRow(QString::fromStdString(item.Caption()), value);
        if (!error.isEmpty())
            problems << error;
    }
}

void WriteRange(TXMLRangeType range, const std::vector<TRangeValue>& values) {
    range.Clear();
    for (const TRangeValue& value : values) {
        TXMLItemType item = range.Add();
        item.SetCaption(value.Caption);
        item.SetValue(value.Value);
    }
}

} // namespace

TfmOption::TfmOption(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("fmOption"));
    setWindowTitle(QStringLiteral("Options"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(570, 433);
    QFont font(QStringLiteral("Sans Serif"), 8);
    font.setStyleHint(QFont::SansSerif);
    setFont(font);
    ImageList1 = MakeOptionPageIcons();

    PageControl1 = Named(new QTabWidget(this), "PageControl1");
    PageControl1->setGeometry(11, 10, 545, 377);
    PageControl1->setIconSize(QSize(32, 32));
    auto* tabStyle = new TNarrowTabStyle;
    tabStyle->setParent(PageControl1);
    PageControl1->tabBar()->setStyle(tabStyle);
    PageControl1->addTab(SetupGeneralPage(), ImageList1[0], QStringLiteral("General  "));
    PageControl1->addTab(SetupRangePage(frmSize, "TabSheet2", "frmSize"), ImageList1[1],
                         QStringLiteral("File Size Group"));
    PageControl1->addTab(SetupRangePage(frmAge, "TabSheet3", "frmAge"), ImageList1[2],
                         QStringLiteral("File Age Group"));
    PageControl1->addTab(SetupRangePage(frmLength, "TabSheet4", "frmLength"), ImageList1[3],
                         QStringLiteral("FileName Length Group"));
    TabSheet2 = PageControl1->widget(1);
    TabSheet3 = PageControl1->widget(2);
    TabSheet4 = PageControl1->widget(3);
    PageControl1->setCurrentIndex(0);
    SetupButtons();
}

QWidget* TfmOption::SetupGeneralPage() {
    General = Named(new QWidget, "General");
    Label1 = NewLabel(QStringLiteral("File Amount Of The Largest Files Report  :"), "Label1", 66,
                      General);
    edLargeAmount = NewEdit("edLargeAmount", 66, General);
    Label2 = NewLabel(QStringLiteral("File Amount Of The Oldest Files Report : "), "Label2", 120,
                      General);
    edOlderAmount = NewEdit("edOlderAmount", 120, General);
    Label3 = NewLabel(QStringLiteral("File Amount Of The Files Never Used  Report : "), "Label3",
                      175, General);
    edGroupName = NewEdit("edGroupName", 175, General);
    InstallDigitFilter(edLargeAmount);
    InstallDigitFilter(edOlderAmount);
    return General;
}

QWidget* TfmOption::SetupRangePage(TFrame1*& frame, const char* pageName, const char* frameName) {
    auto* page = Named(new QWidget, pageName);
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    frame = Named(new TFrame1(page), frameName);
    layout->addWidget(frame);
    return page;
}

// Created in tab order: the pages, "OK", "Cancel", "Load Default". None is the default button.
void TfmOption::SetupButtons() {
    const auto button = [this](const QString& caption, const char* name, int x) {
        auto* b = Named(new QPushButton(caption, this), name);
        b->setGeometry(x, 399, 75, 25);
        b->setAutoDefault(false);
        return b;
    };
    Button4 = button(QStringLiteral("OK"), "Button4", 361);
    Button5 = button(QStringLiteral("Cancel"), "Button5", 453);
    Button1 = button(QStringLiteral("Load Default"), "Button1", 269);
    connect(Button4, &QPushButton::clicked, this, &TfmOption::Button4Click);
    connect(Button5, &QPushButton::clicked, this, &QDialog::reject);
    connect(Button1, &QPushButton::clicked, this, &TfmOption::Button1Click);
}

QStringList TfmOption::LoadFromConfig() {
    QStringList problems;
    const IXMLConfigType config = Config->GetConfig();
    const TXMLDefaultType defaults = config->Default();
    edLargeAmount->setText(IntegerText(
        defaults, "largefilenum", [&] { return defaults.Largefilenum(); }, problems));
    edOlderAmount->setText(IntegerText(
        defaults, "olderfilenum", [&] { return defaults.Olderfilenum(); }, problems));
    edGroupName->setText(QString::fromStdString(defaults.Abovelast()));
    LoadRange(*frmSize, config->Sizerange(), problems);
    LoadRange(*frmAge, config->Agerange(), problems);
    LoadRange(*frmLength, config->Lengthrange(), problems);
    return problems;
}

QString TfmOption::SaveToConfig() {
    const auto large = ReadInteger(edLargeAmount->text());
    if (!large)
        return NotAnIntegerMessage(edLargeAmount->text());
    const auto older = ReadInteger(edOlderAmount->text());
    if (!older)
        return NotAnIntegerMessage(edOlderAmount->text());
    std::array<std::vector<TRangeValue>, 3> ranges;
    QString error;
    for (std::size_t i = 0; i < ranges.size(); ++i)
        if (!Frames()[i]->ReadItems(ranges[i], error))
            return error;

    // Everything reads: only now is the document changed.
    const IXMLConfigType config = Config->GetConfig();
    TXMLDefaultType defaults = config->Default();
    defaults.SetLargefilenum(*large);
    defaults.SetOlderfilenum(*older);
    defaults.SetAbovelast(edGroupName->text().toStdString());
    WriteRange(config->Sizerange(), ranges[0]);
    WriteRange(config->Agerange(), ranges[1]);
    WriteRange(config->Lengthrange(), ranges[2]);
    return {};
}

void TfmOption::FormShow() {
    Q_ASSERT(Config); // set by the caller before showing
    const QStringList problems = LoadFromConfig();
    // After the dialog is on screen, so that the message stands in front of it.
    if (!problems.isEmpty())
        QTimer::singleShot(0, this, [problems] { ShowErrorMessage(problems.join(u'\n')); });
}

void TfmOption::Button4Click() {
    const QString error = SaveToConfig();
    if (error.isEmpty())
        accept();
    else
        ShowErrorMessage(error);
}

void TfmOption::Button1Click() {
    try {
        Config->LoadDefault();
    } catch (const std::exception& e) {
        ShowErrorMessage(QString::fromUtf8(e.what()));
        return;
    }
    const QStringList problems = LoadFromConfig();
    if (!problems.isEmpty()) // not with the default document, but never silently
        ShowErrorMessage(problems.join(u'\n'));
}

void TfmOption::showEvent(QShowEvent* event) {
    // A restore from the minimized state is spontaneous and must not undo the user's edits.
    if (!event->spontaneous()) {
        if (const QScreen* screen = QGuiApplication::primaryScreen())
            move(screen->availableGeometry().center() - rect().center());
        FormShow();
    }
    QDialog::showEvent(event);
}

void TfmOption::keyPressEvent(QKeyEvent* event) {
    // Esc is no Cancel button here; it must not close the dialog.
    if (event->matches(QKeySequence::Cancel))
        event->accept();
    else
        QDialog::keyPressEvent(event);
}

bool RunOptionsDialog(QWidget* owner, TBaseView& view) {
    TfmOption dialog(owner);
    dialog.Config = &view.FConfig();
    if (dialog.exec() != QDialog::Accepted)
        return false;
    TWaitScope wait(QStringLiteral("Drawing Tree.."));
    view.LoadGroupRanges();
    view.FDataCtrl().ReclassifyAll();
    view.RefreshCurrentFolder();
    return true;
}

} // namespace quorvex

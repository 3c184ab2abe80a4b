#include "uWaitForm.h"

#include "uBaseFunction.h"
#include "uRegional.h"
#include "uTheme.h"

#include <QApplication>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QVBoxLayout>
#include <QtMath>

namespace quorvex {

TWaitForm* WaitForm = nullptr;

namespace {

constexpr int FrameCount = 36;
constexpr int FrameMs = 70;

void PaintFolder(QPainter& p) {
    QPainterPath back;
    back.moveTo(18, 12);
    back.lineTo(32, 12);
    back.lineTo(36, 16);
    back.lineTo(62, 16);
    back.lineTo(62, 44);
    back.lineTo(18, 44);
    back.closeSubpath();
    p.setPen(QPen(QColor(176, 124, 20), 1.5));
    p.setBrush(QColor(232, 178, 48));
    p.drawPath(back);
    p.setBrush(QColor(252, 212, 96));
    p.drawRect(QRectF(18, 22, 44, 22));
}

// `line` from the palette: a dark handle on a light window, a light one on a dark window.
void PaintMagnifier(QPainter& p, QPointF centre, const QColor& line) {
    const QPointF handle = centre + QPointF(7, 7);
    p.setPen(QPen(line, 4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(handle, handle + QPointF(8, 8));
    p.setPen(QPen(line, 2.5));
    p.setBrush(QColor(210, 235, 255, 190));
    p.drawEllipse(centre, 9.5, 9.5);
}

} // namespace

// ---- TFindAnimation --------------------------------------------------------------------------

TFindAnimation::TFindAnimation(QWidget* parent) : QWidget(parent) {
    setFixedSize(80, 50);
    FTimer.setInterval(FrameMs);
    connect(&FTimer, &QTimer::timeout, this, [this] {
        FFrame = (FFrame + 1) % FrameCount;
        update();
    });
}

void TFindAnimation::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    PaintFolder(p);
    const qreal angle = 2 * M_PI * FFrame / FrameCount;
    PaintMagnifier(p, QPointF(38 + 13 * qCos(angle), 28 + 8 * qSin(angle)),
                   ThemeColours(palette()).PictureLine);
}

void TFindAnimation::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    FTimer.start();
}

void TFindAnimation::hideEvent(QHideEvent* event) {
    FTimer.stop();
    QWidget::hideEvent(event);
}

// ---- TWaitForm -------------------------------------------------------------------------------

TWaitForm::TWaitForm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setObjectName(QStringLiteral("WaitForm"));
    setFixedSize(376, 120);
    // A window does not inherit the main window's font.
    QFont font(QStringLiteral("Sans Serif"), 8);
    font.setStyleHint(QFont::SansSerif);
    setFont(font);
    auto* panel = new QFrame(this);
    panel->setFrameShape(QFrame::Box);
    panel->setGeometry(rect());
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(8, 8, 8, 8);

    auto* top = new QHBoxLayout;
    Animate1 = new TFindAnimation(panel);
    Animate1->setObjectName(QStringLiteral("Animate1"));
    top->addWidget(Animate1, 0, Qt::AlignTop);
    auto* texts = new QVBoxLayout;
    Label1 = new QLabel(QStringLiteral("This will take a few minutes.Please be patient..."), panel);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label2 = new QLabel(QStringLiteral("..."), panel);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setAlignment(Qt::AlignCenter);
    texts->addWidget(Label1);
    texts->addWidget(Label2);
    top->addLayout(texts, 1);
    layout->addLayout(top);

    auto* bottom = new QHBoxLayout;
    lblProgress = new QLabel(panel);
    lblProgress->setObjectName(QStringLiteral("lblProgress"));
    lblProgress->setMinimumWidth(1); // long folder paths are elided, never widen the window
    btnCancel = new QPushButton(QStringLiteral("Cancel"), panel);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnCancel->setAutoDefault(false);
    btnCancel->hide();
    connect(btnCancel, &QPushButton::clicked, this, [this] {
        btnCancel->setEnabled(false);
        emit CancelRequested();
    });
    bottom->addWidget(lblProgress, 1);
    bottom->addWidget(btnCancel, 0, Qt::AlignBottom);
    layout->addLayout(bottom, 1);
}

TWaitForm::~TWaitForm() {
    if (WaitForm == this)
        WaitForm = nullptr;
}

void TWaitForm::SetCancellable(bool cancellable) {
    btnCancel->setEnabled(true);
    btnCancel->setVisible(cancellable);
}

void TWaitForm::SetMessage(const QString& text) {
    Label2->setText(text);
    Label2->repaint();
}

void TWaitForm::SetProgress(quint64 entries, quint64 bytes, const QString& folder) {
    FEntries = entries;
    FBytes = bytes;
    FFolder = folder;
    FHasProgress = true;
    ShowProgressText();
}

void TWaitForm::SetRowProgress(quint64 rows, quint64 total) {
    FRowText =
        QStringLiteral("%1 of %2 rows written").arg(EntryCountText(rows), EntryCountText(total));
    ShowProgressText();
}

void TWaitForm::ShowProgressText() {
    if (!FHasProgress) {
        lblProgress->setText(FRowText);
        return;
    }
    const QString counts =
        QStringLiteral("%1 entries, %2")
            .arg(EntryCountText(FEntries), QString::fromStdString(FormatSize(double(FBytes))));
    const QString folder =
        lblProgress->fontMetrics().elidedText(FFolder, Qt::ElideMiddle, lblProgress->width());
    lblProgress->setText(counts + QLatin1Char('\n') + folder);
}

void TWaitForm::reject() {
    if (btnCancel->isVisible() && btnCancel->isEnabled())
        btnCancel->click();
}

void TWaitForm::hideEvent(QHideEvent* event) {
    // The next task starts clean: no counts, no Cancel until it asks for one.
    FHasProgress = false;
    FRowText.clear();
    ShowProgressText();
    SetCancellable(false);
    QDialog::hideEvent(event);
}

void TWaitForm::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    ShowProgressText();
}

// ---- Free functions --------------------------------------------------------------------------

QString EntryCountText(quint64 value) {
    const QString digits = QString::number(value);
    const QString separator =
        QString::fromStdString(TRegionalSettings::Current().ThousandSeparator);
    QString text;
    for (qsizetype i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            text += separator;
        text += digits[i];
    }
    return text;
}

void ShowWait() {
    if (!WaitForm)
        return;
    if (const QWidget* owner = WaitForm->parentWidget())
        WaitForm->move(owner->window()->frameGeometry().center() - WaitForm->rect().center());
    WaitForm->show();
    WaitForm->raise();
    // Let the window system map the window, then paint it before the task blocks the thread.
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    WaitForm->repaint();
}

void SetWaitMessage(const QString& text) {
    if (WaitForm)
        WaitForm->SetMessage(text);
}

void HideWait() {
    if (WaitForm && WaitForm->isVisible())
        WaitForm->hide();
}

void SetWaitProgress(quint64 entries, quint64 bytes, const QString& folder) {
    if (WaitForm)
        WaitForm->SetProgress(entries, bytes, folder);
}

TWaitScope::TWaitScope(const QString& message) {
    ShowWait();
    if (!message.isEmpty())
        SetWaitMessage(message);
}

TWaitScope::~TWaitScope() {
    HideWait();
}

} // namespace quorvex

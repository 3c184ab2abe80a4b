#include "UAbout.h"

#include "uAppIcon.h"
#include "uMain.h"
#include "uShell.h"
#include "uVersion.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QScreen>
#include <QVBoxLayout>

namespace quorvex {

namespace {

QLabel* NewCaption(const QString& text, const char* name, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    return label;
}

} // namespace

TFMAbout::TFMAbout(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FMAbout"));
    setWindowTitle(QStringLiteral("About Quorvex"));
    setFixedSize(292, 152);
    QFont font(QStringLiteral("Sans Serif"), 8);
    font.setStyleHint(QFont::SansSerif);
    setFont(font);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 14, 16, 10);

    Label1 = NewCaption(QString(), "Label1", this);
    QFont bold = Label1->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.4);
    Label1->setFont(bold);
    auto* title = new QHBoxLayout;
    auto* icon = NewCaption(QString(), "imgIcon", this);
    icon->setPixmap(ApplicationIcon().pixmap(32, 32));
    title->addWidget(icon);
    title->addWidget(Label1, 1);
    layout->addLayout(title);

    auto* grid = new QGridLayout;
    grid->setColumnStretch(1, 1);
    Label5 = new TLinkLabel(QString::fromLatin1(HomePageAddress), this);
    Label5->setObjectName(QStringLiteral("Label5"));
    Label7 = new TLinkLabel(QString::fromLatin1(MakerMailAddress).remove(QStringLiteral("mailto:")),
                            this);
    Label7->setObjectName(QStringLiteral("Label7"));
    grid->addWidget(NewCaption(QStringLiteral("Web: "), "Label4", this), 0, 0);
    grid->addWidget(Label5, 0, 1, Qt::AlignLeft);
    grid->addWidget(NewCaption(QStringLiteral("Email: "), "Label6", this), 1, 0);
    grid->addWidget(Label7, 1, 1, Qt::AlignLeft);
    layout->addLayout(grid);
    layout->addStretch(1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    buttons->setObjectName(QStringLiteral("btnOK"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);

    connect(Label5, &TLinkLabel::clicked, this, &TFMAbout::Label5Click);
    connect(Label7, &TLinkLabel::clicked, this, &TFMAbout::Label7Click);
}

void TFMAbout::Label5Click() {
    OpenHomePage(this);
}

void TFMAbout::Label7Click() {
    OpenMakerMail(this);
}

void TFMAbout::showEvent(QShowEvent* event) {
    Label1->setText(QString::fromLatin1(ProductTitle));
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    QDialog::showEvent(event);
}

} // namespace quorvex

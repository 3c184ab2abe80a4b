#pragma once

#include <QDialog>

class QLabel;

namespace quorvex {

class TLinkLabel;

/// The About box: program name and version, home page and mail address as links.
class TFMAbout : public QDialog {
    Q_OBJECT
public:
    explicit TFMAbout(QWidget* parent = nullptr);

    QLabel* Label1 = nullptr;
    TLinkLabel* Label5 = nullptr;
    TLinkLabel* Label7 = nullptr;

public slots:
    void Label5Click();
    void Label7Click();

protected:
    void showEvent(QShowEvent* event) override;
};

} // namespace quorvex

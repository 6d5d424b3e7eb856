#include "frmMainUi.h"

#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>

namespace plexifold {
namespace {

QPushButton* makeButton(QWidget* form, const char* name, const QString& text, QRect geometry) {
    auto* button = new QPushButton(text, form);
    button->setObjectName(QLatin1String(name));
    button->setGeometry(geometry);
    // Neither button answers Enter or Esc on its own.
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

} // namespace

void frmMainUi::setupUi(QWidget* form) {
    cmdBrowse = makeButton(form, "cmdBrowse", QStringLiteral("..."), {280, 8, 25, 19});

    txtPath = new QLineEdit(form);
    txtPath->setObjectName(QStringLiteral("txtPath"));
    txtPath->setGeometry(8, 8, 265, 19);
    txtPath->setReadOnly(true);

    cmdConvert = makeButton(form, "cmdConvert", QStringLiteral("&Execute"), {216, 40, 89, 25});
    cmdConvert->setEnabled(false);

    ProgressBar1 = new QProgressBar(form);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setGeometry(8, 56, 201, 9);
    ProgressBar1->setTextVisible(false);
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    ProgressBar1->setFocusPolicy(Qt::NoFocus);

    lblProgress = new QLabel(QStringLiteral("Progress"), form);
    lblProgress->setObjectName(QStringLiteral("lblProgress"));
    lblProgress->setGeometry(8, 40, 201, 17);
    lblProgress->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    lblProgress->setTextFormat(Qt::PlainText); // file names are shown as they are
    lblProgress->setFocusPolicy(Qt::NoFocus);
    lblProgress->setVisible(false);
    // The bar lies over the label's last row, so a descender never paints over the bar.
    ProgressBar1->raise();

    QWidget::setTabOrder(cmdConvert, txtPath);
    QWidget::setTabOrder(txtPath, cmdBrowse);
}

} // namespace plexifold

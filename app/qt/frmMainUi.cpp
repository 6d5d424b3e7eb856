#include "frmMainUi.h"

#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>

#include "frmMainLayout.h"

namespace plexifold {
namespace {

using app::Widget;

QString qText(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Places `control` as the window's table says, in pixels.
template <typename Control> Control* place(Control* control, Widget widget) {
    const app::ControlPlace& row = app::PlaceOf(widget);
    constexpr int k = app::kTwipsPerPixel;
    control->setObjectName(qText(row.name));
    control->setGeometry(row.left / k, row.top / k, row.width / k, row.height / k);
    if (!row.takesFocus)
        control->setFocusPolicy(Qt::NoFocus);
    return control;
}

QPushButton* makeButton(QWidget* form, Widget widget) {
    auto* button = place(new QPushButton(qText(app::PlaceOf(widget).text), form), widget);
    // Neither button answers Enter or Esc on its own.
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

} // namespace

void frmMainUi::setupUi(QWidget* form) {
    cmdBrowse = makeButton(form, Widget::cmdBrowse);

    txtPath = place(new QLineEdit(form), Widget::txtPath);
    txtPath->setReadOnly(true);

    cmdConvert = makeButton(form, Widget::cmdConvert);
    cmdConvert->setEnabled(false);

    ProgressBar1 = place(new QProgressBar(form), Widget::ProgressBar1);
    ProgressBar1->setTextVisible(false);
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);

    lblProgress =
        place(new QLabel(qText(app::PlaceOf(Widget::lblProgress).text), form), Widget::lblProgress);
    lblProgress->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    lblProgress->setTextFormat(Qt::PlainText); // file names are shown as they are
    lblProgress->setVisible(false);
    // Qt stacks later widgets on top: the bar is raised over the label's last row.
    ProgressBar1->raise();

    QWidget* previous = nullptr;
    for (const app::ControlPlace& row : app::kControls) {
        if (!row.takesFocus)
            continue;
        QWidget* next = form->findChild<QWidget*>(qText(row.name));
        if (previous)
            QWidget::setTabOrder(previous, next);
        previous = next;
    }
}

} // namespace plexifold

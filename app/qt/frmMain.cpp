#include "frmMain.h"

#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

#include "AppIcon.h"
#include "SettingsStore.h"

namespace plexifold {
namespace {

const QString kKeyPath = QStringLiteral("SOFTWARE\\Plexifold");
const QString kValueName = QStringLiteral("DEFAULT_PATH");

QString qText(const std::string& text) {
    return QString::fromStdString(text);
}

QMessageBox::Icon qIcon(app::MessageIcon icon) {
    return icon == app::MessageIcon::Information ? QMessageBox::Information : QMessageBox::Warning;
}

} // namespace

frmMain::frmMain(Prompts prompts, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      m_prompts(std::move(prompts)) {
    setObjectName(QStringLiteral("frmMain"));
    setFixedSize(313, 73);
    setWindowIcon(AppIcon());
    m_ui.setupUi(this);
    centreOnScreen();

    connect(m_ui.cmdBrowse, &QPushButton::clicked, this, [this] { m_rules.cmdBrowse_Click(); });
    connect(m_ui.cmdConvert, &QPushButton::clicked, this, [this] { m_rules.cmdConvert_Click(); });

    m_rules.Form_Load();
    // The focus the window gets when first shown.
    (m_ui.cmdConvert->isEnabled() ? static_cast<QWidget*>(m_ui.cmdConvert) : m_ui.txtPath)
        ->setFocus();
}

frmMain::~frmMain() {
    m_rules.close();
}

void frmMain::setCaption(const std::string& text) {
    // A file name may hold "[*]", which a title takes for its "modified" mark unless doubled.
    setWindowTitle(qText(text).replace(QStringLiteral("[*]"), QStringLiteral("[*][*]")));
}

std::string frmMain::pathText() const {
    return m_ui.txtPath->text().toStdString();
}

void frmMain::setPathText(const std::string& text) {
    m_ui.txtPath->setText(qText(text));
}

void frmMain::setEnabled(app::Control control, bool enabled) {
    switch (control) {
    case app::Control::txtPath:
        m_ui.txtPath->setEnabled(enabled);
        break;
    case app::Control::cmdBrowse:
        m_ui.cmdBrowse->setEnabled(enabled);
        break;
    case app::Control::cmdConvert:
        m_ui.cmdConvert->setEnabled(enabled);
        break;
    }
}

void frmMain::setProgressVisible(bool visible) {
    m_ui.lblProgress->setVisible(visible);
}

void frmMain::showProgress(const app::ProgressState& state) {
    m_ui.lblProgress->setText(qText(state.text));
    setCaption(state.text);
    m_ui.ProgressBar1->setRange(state.minimum, state.maximum);
    m_ui.ProgressBar1->setValue(state.value);
    // The bar's top row covers the label's last: each repaint of the label paints that row
    // of the bar too, which the bar takes for a repaint of its own and then skips the next
    // small steps. Ask for the whole bar each time.
    m_ui.ProgressBar1->update();
}

void frmMain::showMessage(const std::string& text, app::MessageIcon icon) {
    m_prompts.showMessage(this, qIcon(icon), qText(text));
}

std::string frmMain::browseForFolder(const std::string& prompt) {
    return m_prompts.browseForFolder(this, qText(prompt)).toStdString();
}

std::string frmMain::readSetting() {
    return ReadRegistryString(RegistryRoot::CurrentUser, kKeyPath, kValueName).toStdString();
}

void frmMain::writeSetting(const std::string& text) {
    WriteRegistryString(RegistryRoot::CurrentUser, kKeyPath, kValueName, qText(text));
}

void frmMain::post(std::function<void()> task, std::chrono::milliseconds delay) {
    // Queued to this window's thread first, so that the timer lives there too.
    QMetaObject::invokeMethod(
        this,
        [this, task = std::move(task), delay] {
            if (delay.count() <= 0)
                task();
            else
                QTimer::singleShot(delay, this, task);
        },
        Qt::QueuedConnection);
}

// Centres the window with its frame, once the frame is known; until then the client area.
void frmMain::centreOnScreen() {
    const QScreen* screen = this->screen();
    if (!screen)
        return;
    const QSize outer = frameGeometry().size();
    move(screen->availableGeometry().center() - QPoint(outer.width() / 2, outer.height() / 2));
}

// The window system tells the frame's size only around the first show.
void frmMain::centreFrameOnce() {
    if (m_frameCentred || frameGeometry().size() == size())
        return;
    m_frameCentred = true;
    centreOnScreen();
}

void frmMain::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    centreFrameOnce();
}

void frmMain::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    centreFrameOnce();
}

void frmMain::closeEvent(QCloseEvent* event) {
    m_rules.close();
    QWidget::closeEvent(event);
}

} // namespace plexifold

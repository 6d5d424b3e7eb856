#include "frmMain.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

#include "AppIcon.h"
#include "LauncherEntry.h"
#include "SettingsStore.h"
#include "frmMainLayout.h"

namespace plexifold {
namespace {

QString qText(const std::string& text) {
    return QString::fromStdString(text);
}

const QString kKeyPath = qText(app::kSettingsKey);
const QString kValueName = qText(app::kSettingsValue);

// The local files among `urls`, in their order; network places are left out.
std::vector<std::filesystem::path> localFiles(const QList<QUrl>& urls) {
    std::vector<std::filesystem::path> files;
    for (const QUrl& url : urls)
        if (url.isLocalFile())
            files.emplace_back(QFile::encodeName(url.toLocalFile()).toStdString());
    return files;
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
    setFixedSize(app::kClientWidth / app::kTwipsPerPixel, app::kClientHeight / app::kTwipsPerPixel);
    setWindowIcon(AppIcon());
    m_ui.setupUi(this);
    centreOnScreen();
    setAcceptDrops(true);

    connect(m_ui.cmdBrowse, &QPushButton::clicked, this,
            [this] { guarded([this] { m_rules.cmdBrowse_Click(); }); });
    connect(m_ui.cmdConvert, &QPushButton::clicked, this,
            [this] { guarded([this] { m_rules.cmdConvert_Click(); }); });

    guarded([this] { m_rules.Form_Load(); });
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

// A folder whose name is not UTF-8 is shown with replacement characters; the box keeps
// its bytes, so that the folder is listed, split and stored as it is.
std::string frmMain::pathText() const {
    const QString shown = m_ui.txtPath->text();
    return shown == qText(m_pathBytes) ? m_pathBytes : shown.toStdString();
}

void frmMain::setPathText(const std::string& text) {
    m_pathBytes = text;
    m_ui.txtPath->setText(qText(text));
}

void frmMain::setEnabled(app::Control control, bool enabled) {
    QWidget* widget = control == app::Control::txtPath     ? static_cast<QWidget*>(m_ui.txtPath)
                      : control == app::Control::cmdBrowse ? m_ui.cmdBrowse
                                                           : m_ui.cmdConvert;
    widget->setEnabled(enabled);
    // Disabling the focused control leaves the focus with no control; the first input
    // enabled again takes it.
    const QWidget* focus = QApplication::focusWidget();
    if (enabled && isActiveWindow() && (!focus || !focus->isEnabled()))
        widget->setFocus();
}

void frmMain::setProgressVisible(bool visible) {
    m_ui.lblProgress->setVisible(visible);
}

void frmMain::showProgress(const app::ProgressState& state) {
    m_ui.lblProgress->setText(qText(state.text));
    setCaption(state.text);
    // A range of one value (a one-page file) is drawn full.
    if (state.maximum > state.minimum) {
        m_ui.ProgressBar1->setRange(state.minimum, state.maximum);
        m_ui.ProgressBar1->setValue(state.value);
    } else {
        m_ui.ProgressBar1->setRange(0, 1);
        m_ui.ProgressBar1->setValue(1);
    }
    // The bar's top row covers the label's last: each repaint of the label paints that row
    // of the bar too, which the bar takes for a repaint of its own and then skips the next
    // small steps. Ask for the whole bar each time.
    m_ui.ProgressBar1->update();
}

void frmMain::showRunProgress(const app::RunProgress& run) {
    ShowLauncherProgress(true, run.share, run.failed);
}

void frmMain::clearRunProgress() {
    ShowLauncherProgress(false, 0, false);
}

void frmMain::showMessage(const std::string& text, app::MessageIcon icon) {
    m_prompts.showMessage(this, qIcon(icon), qText(text));
}

std::string frmMain::browseForFolder(const std::string& prompt) {
    return m_prompts.browseForFolder(this, qText(prompt)).toStdString();
}

std::string frmMain::readSetting() {
    return ReadRegistryBytes(RegistryRoot::CurrentUser, kKeyPath, kValueName).toStdString();
}

void frmMain::writeSetting(const std::string& text) {
    WriteRegistryBytes(RegistryRoot::CurrentUser, kKeyPath, kValueName,
                       QByteArray::fromStdString(text));
}

void frmMain::post(std::function<void()> task, std::chrono::milliseconds delay) {
    // Queued to this window's thread first, so that the timer lives there too.
    QMetaObject::invokeMethod(
        this,
        [this, task = std::move(task), delay] {
            if (delay.count() <= 0)
                guarded(task);
            else
                QTimer::singleShot(delay, this, [this, task] { guarded(task); });
        },
        Qt::QueuedConnection);
}

void frmMain::guarded(const std::function<void()>& handler) {
    try {
        handler();
    } catch (const std::exception& error) {
        fail(error.what());
    } catch (...) {
        fail("an unknown error");
    }
}

// An error that no handler caught ends the program, after it has been shown.
void frmMain::fail(const char* reason) {
    m_prompts.showMessage(this, QMessageBox::Critical,
                          QStringLiteral("Plexifold has to close: ") + QString::fromUtf8(reason));
    m_failed = true;
    m_rules.close();
    hide();
    // Queued, so that it also ends a program whose event loop has not started yet.
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [] { QCoreApplication::exit(1); }, Qt::QueuedConnection);
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

void frmMain::dragEnterEvent(QDragEnterEvent* event) {
    if (!localFiles(event->mimeData()->urls()).empty())
        event->acceptProposedAction();
}

void frmMain::dropEvent(QDropEvent* event) {
    guarded([this, event] { m_rules.Form_DragDrop(localFiles(event->mimeData()->urls())); });
    event->acceptProposedAction();
}

void frmMain::closeEvent(QCloseEvent* event) {
    m_rules.close();
    QWidget::closeEvent(event);
}

} // namespace plexifold

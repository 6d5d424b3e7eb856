#include "frmMain.h"

#include <QCloseEvent>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>

#include "AppIcon.h"
#include "BatchRun.h"
#include "PageNaming.h"
#include "SettingsStore.h"

namespace plexifold {
namespace {

const QString kCaption = QStringLiteral("Plexifold");
const QString kKeyPath = QStringLiteral("SOFTWARE\\Plexifold");
const QString kValueName = QStringLiteral("DEFAULT_PATH");
const QString kPattern = QStringLiteral("*.tif;*.tiff");
const QString kPrompt = QStringLiteral("Select a folder with '.TIF' files");
const QString kNoFilesWarning = QStringLiteral("This folder does not contain '.TIF' files");

// Strips the space character alone at both ends; tabs and other blanks stay.
QString stripSpaces(const QString& text) {
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text[first] == u' ')
        ++first;
    while (last > first && text[last - 1] == u' ')
        --last;
    return text.mid(first, last - first);
}

} // namespace

frmMain::frmMain(Prompts prompts, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      m_prompts(std::move(prompts)), m_batch(new BatchRun(this)) {
    setObjectName(QStringLiteral("frmMain"));
    setFixedSize(313, 73);
    setWindowIcon(AppIcon());
    m_ui.setupUi(this);
    centreOnScreen();

    connect(m_ui.txtPath, &QLineEdit::textChanged, this, &frmMain::txtPath_Change);
    connect(m_ui.cmdBrowse, &QPushButton::clicked, this, &frmMain::cmdBrowse_Click);
    connect(m_ui.cmdConvert, &QPushButton::clicked, this, &frmMain::cmdConvert_Click);
    connect(m_batch, &BatchRun::progressChanged, this, &frmMain::showProgress);
    connect(m_batch, &BatchRun::finished, this, &frmMain::endRun);

    Form_Load();
}

frmMain::~frmMain() {
    m_batch->stop();
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

void frmMain::Form_Load() {
    setWindowTitle(kCaption);
    m_ui.txtPath->setText(ReadRegistryString(RegistryRoot::CurrentUser, kKeyPath, kValueName));
    RefreshFileList(false);
    txtPath_Change();
    // The focus the window gets when first shown.
    (m_ui.cmdConvert->isEnabled() ? static_cast<QWidget*>(m_ui.cmdConvert) : m_ui.txtPath)
        ->setFocus();
}

void frmMain::txtPath_Change() {
    m_ui.cmdConvert->setEnabled(m_ui.File1.count() > 0);
}

void frmMain::SetInputsEnabled(bool enabled) {
    m_ui.cmdConvert->setEnabled(enabled);
    m_ui.txtPath->setEnabled(enabled);
    m_ui.cmdBrowse->setEnabled(enabled);
}

void frmMain::RefreshFileList(bool showWarning) {
    m_ui.File1.setPattern(kPattern.toStdString());
    // A folder that cannot be listed leaves the list with its former folder and names.
    m_ui.File1.setPath(PathFromUtf8(m_ui.txtPath->text().toStdString()));
    if (m_ui.File1.count() == 0 && showWarning) {
        m_prompts.showMessage(this, QMessageBox::Warning, kNoFilesWarning);
        m_ui.txtPath->setText(kPrompt);
        txtPath_Change();
    } else {
        m_ui.txtPath->setText(
            QDir::toNativeSeparators(QString::fromStdString(Utf8Of(m_ui.File1.path()))));
    }
}

void frmMain::cmdBrowse_Click() {
    try {
        const QString folder = m_prompts.browseForFolder(this, kPrompt);
        if (stripSpaces(folder).isEmpty())
            return;
        m_ui.txtPath->setText(folder);
        RefreshFileList(true);
        txtPath_Change();
    } catch (...) {
        // Whatever went wrong, the box is left asking for a folder.
        m_ui.txtPath->setText(kPrompt);
        txtPath_Change();
    }
}

void frmMain::cmdConvert_Click() {
    if (stripSpaces(m_ui.txtPath->text()).isEmpty())
        return;
    SetInputsEnabled(false);
    WriteRegistryString(RegistryRoot::CurrentUser, kKeyPath, kValueName, m_ui.txtPath->text());
    m_ui.lblProgress->setVisible(true);
    QStringList paths;
    for (int i = 0; i < m_ui.File1.count(); ++i)
        paths.append(QString::fromStdString(Utf8Of(m_ui.File1.filePath(i))));
    m_batch->start(paths);
}

void frmMain::showProgress(const BatchProgress& progress) {
    if (!progress.text.isEmpty()) {
        m_ui.lblProgress->setText(progress.text);
        // A file name may hold "[*]", which a title takes for its "modified" mark unless doubled.
        setWindowTitle(
            QString(progress.text).replace(QStringLiteral("[*]"), QStringLiteral("[*][*]")));
    }
    if (progress.pageCount > 0) {
        m_ui.ProgressBar1->setMinimum(1);
        m_ui.ProgressBar1->setMaximum(progress.pageCount);
    }
    if (progress.value > 0)
        m_ui.ProgressBar1->setValue(progress.value);
    // The bar's top row covers the label's last: each repaint of the label paints that row
    // of the bar too, which the bar takes for a repaint of its own and then skips the next
    // small steps. Ask for the whole bar each time.
    m_ui.ProgressBar1->update();
}

void frmMain::endRun(const BatchReport& report) {
    setWindowTitle(kCaption);
    m_prompts.showMessage(this, report.messageIcon(), report.messageText());
    m_ui.lblProgress->setVisible(false);
    SetInputsEnabled(true);
}

void frmMain::closeEvent(QCloseEvent* event) {
    m_batch->stop();
    QWidget::closeEvent(event);
}

} // namespace plexifold

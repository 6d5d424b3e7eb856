#include "frmMainRules.h"

#include "PageNaming.h"
#include "PathText.h"

namespace plexifold::app {
namespace {

constexpr const char* kPattern = "*.tif;*.tiff";

// True when `text` holds more than the space character; tabs and other blanks count.
bool hasMoreThanSpaces(const std::string& text) {
    return text.find_first_not_of(' ') != std::string::npos;
}

} // namespace

frmMainRules::frmMainRules(WindowView& view)
    : m_view(view), m_batch(view, [this](const BatchReport& report) { endRun(report); }) {}

void frmMainRules::Form_Load() {
    m_view.setCaption(kCaption);
    m_view.setPathText(m_view.readSetting());
    RefreshFileList(false);
    txtPath_Change();
}

void frmMainRules::txtPath_Change() {
    m_view.setEnabled(Control::cmdConvert, m_File1.count() > 0);
}

void frmMainRules::SetInputsEnabled(bool enabled) {
    m_view.setEnabled(Control::cmdConvert, enabled);
    m_view.setEnabled(Control::txtPath, enabled);
    m_view.setEnabled(Control::cmdBrowse, enabled);
}

void frmMainRules::RefreshFileList(bool showWarning) {
    m_File1.setPattern(kPattern);
    // A folder that cannot be listed leaves the list with its former folder and names.
    m_File1.setPath(files::PathFromUtf8(m_view.pathText()));
    if (m_File1.count() == 0 && showWarning) {
        m_view.showMessage(kNoFilesWarning, MessageIcon::Exclamation);
        m_view.setPathText(kPrompt);
        txtPath_Change();
    } else {
        m_view.setPathText(files::Utf8Of(m_File1.path()));
    }
}

void frmMainRules::cmdBrowse_Click() {
    try {
        const std::string folder = m_view.browseForFolder(kPrompt);
        if (!hasMoreThanSpaces(folder))
            return;
        m_view.setPathText(folder);
        RefreshFileList(true);
        txtPath_Change();
    } catch (...) {
        // Whatever went wrong, the box is left asking for a folder.
        m_view.setPathText(kPrompt);
        txtPath_Change();
    }
}

void frmMainRules::cmdConvert_Click() {
    if (isRunning() || !hasMoreThanSpaces(m_view.pathText()))
        return;
    SetInputsEnabled(false);
    m_view.writeSetting(m_view.pathText());
    m_view.setProgressVisible(true);
    std::vector<std::filesystem::path> paths;
    for (int i = 0; i < m_File1.count(); ++i)
        paths.push_back(m_File1.filePath(i));
    m_batch.start(std::move(paths));
}

void frmMainRules::close() {
    m_batch.stop();
}

void frmMainRules::endRun(const BatchReport& report) {
    m_view.setCaption(kCaption);
    m_view.showMessage(report.messageText(), report.messageIcon());
    m_view.setProgressVisible(false);
    SetInputsEnabled(true);
}

} // namespace plexifold::app

#include "Prompts.h"

#include "FolderPicker.h"

namespace plexifold {

void ShowMessage(QWidget* owner, QMessageBox::Icon icon, const QString& text) {
    QMessageBox box(icon, QStringLiteral("Plexifold"), text, QMessageBox::Ok, owner);
    box.setTextFormat(Qt::PlainText); // file names are shown as they are
    box.exec();
}

Prompts Prompts::standard() {
    return {BrowseForFolder, ShowMessage};
}

} // namespace plexifold

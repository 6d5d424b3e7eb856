#include "SettingsStore.h"

#include <QSettings>
#include <QStringList>
#include <memory>

namespace plexifold {
namespace {

// "SOFTWARE\Vendor\Product" maps to the file Vendor/Product.conf of the user's
// settings folder; a single name after "SOFTWARE" names both the folder and the file.
std::unique_ptr<QSettings> openKey(RegistryRoot, const QString& keyPath) {
    QStringList parts = keyPath.split(u'\\', Qt::SkipEmptyParts);
    if (parts.size() > 1 && parts.first().compare(u"SOFTWARE", Qt::CaseInsensitive) == 0)
        parts.removeFirst();
    const QString organization = parts.value(0);
    const QString application = parts.size() > 1 ? parts.mid(1).join(u'/') : organization;
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, organization,
                                       application);
}

} // namespace

QString ReadRegistryString(RegistryRoot root, const QString& keyPath, const QString& valueName) {
    const auto settings = openKey(root, keyPath);
    // A file with format errors yields what the parser could make of it, the same on
    // every read (Qt parses a file once until it changes); what it could not is "".
    if (settings->status() == QSettings::AccessError)
        return {};
    const QVariant value = settings->value(valueName);
    if (value.typeId() != QMetaType::QString)
        return {};
    return value.toString();
}

QByteArray ReadRegistryBytes(RegistryRoot root, const QString& keyPath, const QString& valueName) {
    const auto settings = openKey(root, keyPath);
    if (settings->status() == QSettings::AccessError)
        return {};
    const QVariant value = settings->value(valueName);
    if (value.typeId() == QMetaType::QByteArray)
        return value.toByteArray();
    return value.typeId() == QMetaType::QString ? value.toString().toUtf8() : QByteArray();
}

void WriteRegistryBytes(RegistryRoot root, const QString& keyPath, const QString& valueName,
                        const QByteArray& bytes) {
    const QString text = QString::fromUtf8(bytes);
    if (text.toUtf8() == bytes) {
        WriteRegistryString(root, keyPath, valueName, text);
        return;
    }
    const auto settings = openKey(root, keyPath);
    settings->setValue(valueName, bytes);
    settings->sync();
}

void WriteRegistryString(RegistryRoot root, const QString& keyPath, const QString& valueName,
                         const QString& text) {
    const auto settings = openKey(root, keyPath);
    settings->setValue(valueName, text);
    settings->sync();
}

} // namespace plexifold

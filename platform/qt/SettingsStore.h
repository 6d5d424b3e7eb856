#pragma once

#include <QString>

// The program's one setting, kept per user in Qt's settings file
// ($XDG_CONFIG_HOME/Plexifold/Plexifold.conf for the key path "SOFTWARE\Plexifold").
namespace plexifold {

enum class RegistryRoot { CurrentUser };

/// The string stored under `keyPath` and `valueName`, unchanged; "" when there is
/// none, when the value is not a string, or when the store cannot be read or parsed.
QString ReadRegistryString(RegistryRoot root, const QString& keyPath, const QString& valueName);

/// Stores `text` unchanged under `keyPath` and `valueName`, creating what is missing.
/// Failures are silent: the caller goes on as if the value had been stored.
void WriteRegistryString(RegistryRoot root, const QString& keyPath, const QString& valueName,
                         const QString& text);

/// As ReadRegistryString, in UTF-8, but a text stored by WriteRegistryBytes that is not
/// UTF-8 (a folder named in other bytes) comes back byte for byte.
QByteArray ReadRegistryBytes(RegistryRoot root, const QString& keyPath, const QString& valueName);

/// As WriteRegistryString for UTF-8 bytes; other bytes are kept as they are.
void WriteRegistryBytes(RegistryRoot root, const QString& keyPath, const QString& valueName,
                        const QByteArray& bytes);

} // namespace plexifold

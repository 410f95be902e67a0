#pragma once

#include <QString>

#include <optional>

// The login password, kept in the password table (data/np.edb, behind its access password) and read again at
// every use, so a password changed in the settings window is asked for from the next start on.

// True when `typed` equals the stored password exactly: case-sensitive, no trimming. False when the table
// cannot be opened or holds no record, whatever was typed.
bool checkLoginPassword(const QString& typed);

// The stored password; nothing when the table cannot be opened.
std::optional<QString> readLoginPassword();

// Replaces the stored password with any text, the empty one included; false when it could not be stored.
bool writeLoginPassword(const QString& password);

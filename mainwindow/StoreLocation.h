#pragma once
// Where the album store is: the file named on the command line; else the
// portable layout, date/pdate.pdb beside the program, when it is there;
// else the user's own store under the user's data folder, made empty on the
// user's first start and never again.

#include <QString>

namespace StoreLocation {

struct Choice
{
    QString path;
    // True when the user's own store was made just now.
    bool created = false;
    // Set when the user's store should have been made but could not be.
    QString error;
};

// <programFolder>/date/pdate.pdb
QString portablePath(const QString &programFolder);
// $XDG_DATA_HOME/quilbo2009/pdate.pdb (~/.local/share/... by default)
QString userStorePath();

// Chooses the store. The user's own store is made (mode 0600 in a 0700
// folder) only when the user's settings do not record that it was made
// before: a store that went missing later is never replaced by an empty
// one, so that the user is told it is missing.
Choice choose(const QString &option, const QString &programFolder);

} // namespace StoreLocation

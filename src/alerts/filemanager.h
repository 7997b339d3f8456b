// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef TESSIK_FILEMANAGER_H
#define TESSIK_FILEMANAGER_H

class QObject;

// Opens the user's home folder in a file manager without waiting for it: the
// session's org.freedesktop.FileManager1 service shows it, and where none
// answers the desktop's default program for folders does (xdg-open). The
// answer is handled under `context`.
void openHomeFolder(QObject* context);

#endif

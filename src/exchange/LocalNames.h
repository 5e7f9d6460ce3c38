#pragma once
#include <QString>

namespace slip {

// Downloads land in the folder Temp of the data folder and nowhere else.
// Created when missing; empty when it can't be made.
QString DownloadFolder();

// A name made fit for a file the way format pictures are named: the
// characters * ? < > / \ : | " become the digits 0 to 8 in that order, and
// control characters become "_". Dots are left alone: the name is always
// followed by an extension, so ".." becomes "...jpg", an ordinary name.
QString FileSafeName(const QString& name);

// True when `name` can be used as one file name inside a folder as it
// stands: not empty, not "." or "..", no "/" "\" ":" (no drive letter, no
// absolute path), none of * ? < > | ", no control character, and no more than
// 200 characters.
bool IsPlainFileName(const QString& name);

// The path of `name` inside `folder` when that stays inside it (IsPlainFileName
// and the resolved path's folder is `folder`); empty otherwise.
QString PathInside(const QString& folder, const QString& name);

} // namespace slip

#pragma once

#include <QString>

// Removing a folder the program made for itself (a catalogue being built, one set aside
// while replaced) without ever reaching through a link: a link found inside is removed
// as a link, and a path that is itself a link, or no folder, removes nothing at all.
namespace safetree {

// Removes the folder at path and everything in it. True when nothing of it is left
// (also when there was nothing); false when path is a link or no folder, which then
// stays as it is, or when something in it could not be removed.
bool removeTree(const QString& path);

} // namespace safetree

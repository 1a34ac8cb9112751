// The system's list of file operations left for the next start (the registry value
// PendingFileRenameOperations, a multi-string): pairs of a source and a destination, the
// destination empty for a deletion or starting with "!" for a replacement, paths in the form
// "\??\C:\...". A deletion left there by an earlier uninstall that names a file a later install
// put back would delete that file at the next start.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

// value: the multi-string's code units as stored (each string ended by a NUL, the list by one
// more). Returns it without every pair whose source or destination names one of files (full
// paths, compared without regard to ASCII letter case, the "\??\" and "!" prefixes aside), in
// the same form; empty when no pair is left. removed counts the pairs dropped. A malformed
// value (a last source without its destination) keeps that source as it stands.
std::u16string WithoutOperationsOn(const std::u16string& value, const std::vector<std::u16string>& files,
                                   std::size_t& removed);

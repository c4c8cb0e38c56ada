#pragma once

#include <QString>

// Whether a file can be saved at a path, asked before the unit is talked to, so that a read
// is not thrown away at the end. Nothing is left behind by the question, and a missing
// folder is never made: the operator named a place that is not there.
namespace OutputTarget {

enum class Check {
    Writable,
    FolderMissing,  // the folder the file would go into does not exist
    NotWritable,    // the folder refuses a new file, or the path is a folder itself
};

Check check(const QString& path);

}  // namespace OutputTarget

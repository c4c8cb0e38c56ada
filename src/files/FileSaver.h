#pragma once

#include <QIODevice>
#include <QString>
#include <functional>

// Every file the tool writes goes through here: the content is written to a temporary file
// beside the target, and the target is replaced only once the whole content has been written
// and flushed. A failure at any point (folder not writable, disk full, the writer giving up)
// leaves the previous file as it was and is reported to the caller.
class FileSaver {
public:
    // writer fills the device; returning false abandons the save.
    using Writer = std::function<bool(QIODevice&)>;

    // Creates the target's folder when it is missing. Returns true only when the new content
    // is in place under path.
    static bool save(const QString& path, const Writer& writer);
};

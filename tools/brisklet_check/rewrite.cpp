#include "tools/brisklet_check/files.h"

bool WriteWhole(TFileOps& ops, const std::string& path, const std::string& bytes, std::string& why) {
    // Beside the target, so the move stays on one volume and is one step.
    const std::string fresh = path + ".brisklet-new";
    if (!ops.Write(fresh, bytes)) {
        ops.Remove(fresh);
        why = "cannot write " + fresh;
        return false;
    }
    if (!ops.MoveOver(fresh, path)) {
        ops.Remove(fresh);
        why = "cannot put the new file in the place of " + path;
        return false;
    }
    return true;
}

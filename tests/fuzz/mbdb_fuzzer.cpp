// Feeds arbitrary bytes to the backup file list parser as a backup's "Manifest.mbdb", then builds
// the backup's file tree from it. Besides crashes and undefined behaviour, it checks that no node
// of the tree could be extracted outside the extraction folder.
#include "fuzzfolder.h"

#include "itunes/backupmanifest.h"
#include "itunes/mbdbparser.h"

#include <cstdlib>
#include <stdexcept>
#include <vector>

namespace {

void checkTree(const BackupManifest::_FileNode &root)
{
    const QString folder = FuzzFolder::instance().dir().filePath(QStringLiteral("out"));
    std::vector<const BackupManifest::_FileNode *> pending{&root};
    while (!pending.empty()) {
        const BackupManifest::_FileNode *node = pending.back();
        pending.pop_back();
        const QString target = BackupManifest::targetPath(folder, &root, node);
        if (!target.isEmpty() && target != folder && !target.startsWith(folder + QLatin1Char('/')))
            std::abort();
        for (const auto &child : node->children)
            pending.push_back(child.get());
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const FuzzFolder &scratch = FuzzFolder::instance();
    const QString path = scratch.write(QStringLiteral("Manifest.mbdb"), data, size);
    try {
        const MBDBParser::ItemMap items = MBDBParser::parse(path);
        for (const MBDBParser::_MBDBItem &item : items) {
            (void)item.isFolder();
            (void)item.hasSafePath();
            (void)item.path.toString();
        }
        BackupManifest backup(scratch.dir().absolutePath());
        backup.parseInfo();
        checkTree(backup.root());
    } catch (const std::runtime_error &) {
        // A damaged manifest is refused with a text for the user: the expected outcome.
    }
    return 0;
}

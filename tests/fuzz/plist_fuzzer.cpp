// Feeds arbitrary bytes to the property-list reading of backups: as a backup's "Manifest.plist"
// (with a "Status.plist" of the same bytes for the date), read the way the backup list and the
// import read it, and as a binary property list walked through the wrapper's accessors.
#include "fuzzfolder.h"

#include "itunes/backupmanifest.h"
#include "model/qplist.h"

#include <cstddef>
#include <cstdint>
#include <stdexcept>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const FuzzFolder &scratch = FuzzFolder::instance();
    scratch.write(QStringLiteral("Manifest.plist"), data, size);
    scratch.write(QStringLiteral("Status.plist"), data, size);
    try {
        BackupManifest backup(scratch.dir().absolutePath());
        backup.readManifestInfo();
        (void)backup.displayName();
    } catch (const std::runtime_error &) {
        // A damaged property list is refused with a text for the user: the expected outcome.
    }
    const QPlist plist = QPlist::fromFileBin(
        QByteArray(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size)));
    (void)plist.get(QStringLiteral("Lockdown")).get(QStringLiteral("DeviceName")).toString();
    (void)plist.get(QStringLiteral("Date")).toDate();
    (void)plist.get(QStringLiteral("BackupKeyBag")).toData();
    return 0;
}

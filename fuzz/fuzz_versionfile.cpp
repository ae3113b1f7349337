// The update server's version file as any bytes: it comes over the network, so whatever
// arrives must be refused with an error or read, never crash us.
#include "transport/TransportError.h"
#include "transport/VersionFile.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray file(reinterpret_cast<const char *>(data), qsizetype(size));
    try {
        const VersionAnnouncement a = VersionAnnouncement::parse(file);
        // What was read is a version this program can compare, an address and a checksum.
        if (versionNumbers(a.version).isEmpty() || a.sha256.size() != 32 || !a.programUrl.isValid())
            std::abort();
        isNewerVersion(a.version, QStringLiteral("4.9.0.0"));
    } catch (const TransportError &) {
    }
    return 0;
}

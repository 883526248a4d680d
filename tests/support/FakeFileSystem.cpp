#include "FakeFileSystem.h"

#include "FileMapping.h"

#include "SystemReason.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace {

class FakeInputFile : public InputFile
{
public:
    FakeInputFile(std::unique_ptr<InputFile> real, FakeFileSystem &owner)
        : m_real(std::move(real)), m_owner(owner)
    {
        ++m_owner.opened;
        ++m_owner.openFiles;
    }
    ~FakeInputFile() override { --m_owner.openFiles; }

    qint64 read(char *into, qint64 max) override
    {
        if (m_owner.wouldBlockReads > 0) {
            --m_owner.wouldBlockReads;
            return WouldBlock;
        }
        if (m_owner.readFailsAt >= 0 && m_offset + max > m_owner.readFailsAt)
            return -1;
        if (m_owner.endless) {
            std::memset(into, FakeFileSystem::EndlessByte, std::size_t(max));
            return max;
        }
        if (m_owner.endsAt >= 0)
            max = std::clamp<qint64>(m_owner.endsAt - m_offset, 0, max);
        const qint64 count = m_real->read(into, max);
        m_offset += std::max<qint64>(count, 0);
        return count;
    }

    void waitForData(int) override { ++m_owner.waits; }
    qint64 currentSize() const override { return m_owner.endsAt >= 0 ? m_owner.endsAt : m_real->currentSize(); }
    QString errorText() const override { return SystemReason::text(EIO); }
    std::unique_ptr<FileMapping> map(qint64 length) override { return m_owner.mappable ? m_real->map(length) : nullptr; }

private:
    std::unique_ptr<InputFile> m_real;
    FakeFileSystem &m_owner;
    qint64 m_offset = 0;
};

} // namespace

FileSystem::Status FakeFileSystem::status(const QString &path)
{
    return statusOverride ? *statusOverride : m_local.status(path);
}

std::unique_ptr<InputFile> FakeFileSystem::open(const QString &path, QString &errorText)
{
    if (openError != 0) {
        errorText = SystemReason::text(openError);
        return nullptr;
    }
    auto real = m_local.open(path, errorText);
    return real ? std::make_unique<FakeInputFile>(std::move(real), *this) : nullptr;
}

#include "FakeFileSystem.h"

#include "FileMapping.h"

#include "SystemReason.h"

#include <QThread>
#include <algorithm>
#include <cerrno>
#include <chrono>
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
    ~FakeInputFile() override
    {
        --m_owner.openFiles;
        m_gate->closed();
    }

    qint64 read(char *into, qint64 max) override
    {
        if (m_owner.gatedFrom >= 0 && m_offset >= m_owner.gatedFrom)
            m_gate->pass();
        if (m_owner.readDelayMs > 0)
            QThread::msleep(m_owner.readDelayMs);
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
    std::shared_ptr<FakeFileSystem::ReadGate> m_gate = m_owner.gate;
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

void FakeFileSystem::ReadGate::open()
{
    const std::lock_guard lock(m_mutex);
    m_open = true;
    m_changed.notify_all();
}

void FakeFileSystem::ReadGate::pass()
{
    std::unique_lock lock(m_mutex);
    ++m_waiting;
    m_changed.notify_all();
    m_changed.wait(lock, [this] { return m_open; });
    --m_waiting;
}

bool FakeFileSystem::ReadGate::waitForWaiting(int reads)
{
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, std::chrono::seconds(10), [&] { return m_waiting >= reads; });
}

void FakeFileSystem::ReadGate::closed()
{
    const std::lock_guard lock(m_mutex);
    ++m_closed;
    m_changed.notify_all();
}

bool FakeFileSystem::ReadGate::waitForClosed(int files)
{
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, std::chrono::seconds(10), [&] { return m_closed >= files; });
}

int FakeFileSystem::ReadGate::waiting()
{
    const std::lock_guard lock(m_mutex);
    return m_waiting;
}

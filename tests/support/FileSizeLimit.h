#pragma once

// While it lives, a write that would take any file of this process past `bytes` fails (EFBIG)
// instead of raising SIGXFSZ. Unlike a folder's permissions, the limit binds root too, so a
// test can make a save fail midway however it runs.
#include <csignal>
#include <sys/resource.h>

class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        m_set = ::getrlimit(RLIMIT_FSIZE, &m_before) == 0;
        if (!m_set)
            return;
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit tiny = m_before;
        tiny.rlim_cur = bytes;
        m_set = ::setrlimit(RLIMIT_FSIZE, &tiny) == 0;
        if (!m_set)
            std::signal(SIGXFSZ, m_oldHandler);
    }
    ~FileSizeLimit()
    {
        if (!m_set)
            return;
        ::setrlimit(RLIMIT_FSIZE, &m_before);
        std::signal(SIGXFSZ, m_oldHandler);
    }
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

    // Whether the limit holds: false if the system refused it.
    bool isSet() const { return m_set; }

private:
    rlimit m_before{};
    void (*m_oldHandler)(int) = SIG_DFL;
    bool m_set = false;
};

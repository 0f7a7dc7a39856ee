#pragma once
// While it lives, no file of this process grows past `byte` bytes: a write past it fails (EFBIG,
// SIGXFSZ ignored) as it does on a full disk, with no privileges needed.
#include <QtGlobal>
#include <csignal>
#include <sys/resource.h>

class LimiteFile
{
public:
    explicit LimiteFile(rlim_t byte)
    {
        m_segnale = std::signal(SIGXFSZ, SIG_IGN);
        if (getrlimit(RLIMIT_FSIZE, &m_prima) != 0)
            return;
        rlimit r = m_prima;
        r.rlim_cur = byte;
        m_ok = setrlimit(RLIMIT_FSIZE, &r) == 0;
    }
    ~LimiteFile()
    {
        if (m_ok && setrlimit(RLIMIT_FSIZE, &m_prima) != 0)
            qFatal("RLIMIT_FSIZE non ripristinato");
        std::signal(SIGXFSZ, m_segnale);
    }
    bool ok() const { return m_ok; }
    LimiteFile(const LimiteFile&) = delete;
    LimiteFile& operator=(const LimiteFile&) = delete;

private:
    rlimit m_prima{};
    void (*m_segnale)(int) = SIG_DFL;
    bool m_ok = false;
};

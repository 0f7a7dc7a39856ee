#pragma once
// Takes capabilities out of this thread's effective set while it lives, so root meets the file
// permissions a shop's user meets (the program's file work runs on this same thread). Nothing to
// take for others.
#include <cstring>
#include <initializer_list>
#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

class SenzaCapacita
{
public:
    explicit SenzaCapacita(std::initializer_list<int> capacita)
    {
        if (geteuid() != 0)
            return;
        m_testa.version = _LINUX_CAPABILITY_VERSION_3;
        m_testa.pid = 0;
        if (syscall(SYS_capget, &m_testa, m_prima) != 0)
            return;
        __user_cap_data_struct senza[2];
        std::memcpy(senza, m_prima, sizeof senza);
        for (int c : capacita)
            senza[c / 32].effective &= ~(1u << (c % 32));
        m_attivo = syscall(SYS_capset, &m_testa, senza) == 0;
    }
    ~SenzaCapacita()
    {
        if (m_attivo)
            syscall(SYS_capset, &m_testa, m_prima);
    }
    SenzaCapacita(const SenzaCapacita&) = delete;
    SenzaCapacita& operator=(const SenzaCapacita&) = delete;

private:
    __user_cap_header_struct m_testa{};
    __user_cap_data_struct m_prima[2]{};
    bool m_attivo = false;
};

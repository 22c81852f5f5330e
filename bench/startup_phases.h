#pragma once

#include <QString>

#include <cstdio>
#include <ctime>

// The moments of a start-up, in milliseconds since the benchmark spawned the process (its
// CLOCK_MONOTONIC time is handed over on the command line), printed when the process ends.
class StartupPhases
{
public:
    static double nowMs()
    {
        timespec t{};
        clock_gettime(CLOCK_MONOTONIC, &t);
        return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
    }

    // spawnedAt: the spawning process's clock at the spawn, as text; empty: no phases printed.
    explicit StartupPhases(const char *spawnedAt)
        : m_spawnedAt(spawnedAt ? QString::fromLatin1(spawnedAt).toDouble() : 0.0)
        , m_main(nowMs())
    {
    }
    void applicationMade() { m_application = nowMs(); }
    void windowMade() { m_window = nowMs(); }
    void windowShown() { m_shown = nowMs(); }
    void painted() { m_painted = nowMs(); }
    void print() const
    {
        if (m_spawnedAt > 0)
            std::printf("phases %.3f %.3f %.3f %.3f %.3f\n", m_main - m_spawnedAt,
                        m_application - m_spawnedAt, m_window - m_spawnedAt, m_shown - m_spawnedAt,
                        m_painted - m_spawnedAt);
    }

private:
    double m_spawnedAt;
    double m_main;
    double m_application = 0;
    double m_window = 0;
    double m_shown = 0;
    double m_painted = 0;
};

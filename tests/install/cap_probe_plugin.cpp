// A platform plugin as a local user could write one: when the program loads it, it prints the
// capability sets of the process it runs in. The program is expected to give up on it afterwards
// (it is no real platform), but by then the lines are out.
#include <QObject>

#include <cstdio>
#include <cstring>

__attribute__((constructor)) static void reportCapabilities()
{
    if (FILE *status = std::fopen("/proc/self/status", "r")) {
        char line[256];
        while (std::fgets(line, sizeof line, status)) {
            if (std::strncmp(line, "Cap", 3) == 0)
                std::fprintf(stderr, "CAPPROBE %s", line);
        }
        std::fclose(status);
    }
}

class CapProbePlugin : public QObject
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID "org.qt-project.Qt.QPA.QPlatformIntegrationFactoryInterface.5.3" FILE
                          "cap_probe_plugin.json")
};

#include "cap_probe_plugin.moc"

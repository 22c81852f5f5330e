#include "port_privilege.h"

#include <QTest>

// The environment an elevated start keeps. The elevated start itself (a file capability, run by
// an ordinary user) is checked on the installed program by the install test.
class TestPortPrivilege : public QObject
{
    Q_OBJECT
private slots:
    void keepsDisplaySessionAndLocale_data()
    {
        QTest::addColumn<QByteArray>("name");
        for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "XAUTHORITY", "XDG_RUNTIME_DIR", "HOME",
                                 "LANG", "LC_ALL", "LC_NUMERIC", "QT_QPA_PLATFORM", "QT_SCALE_FACTOR"})
            QTest::newRow(name) << QByteArray(name);
    }
    void keepsDisplaySessionAndLocale()
    {
        QFETCH(QByteArray, name);
        QVERIFY(PortPrivilege::keepVariable(name));
    }

    // Every one of these can make the toolkit or a library it loads run code from a path the user
    // names, or is of no use to the program.
    void refusesWhatLoadsCode_data()
    {
        QTest::addColumn<QByteArray>("name");
        for (const char *name :
             {"QT_PLUGIN_PATH", "QT_QPA_PLATFORM_PLUGIN_PATH", "QT_QPA_GENERIC_PLUGINS", "GTK_MODULES",
              "GTK3_MODULES", "GTK_PATH", "GIO_EXTRA_MODULES", "GIO_MODULE_DIR", "LD_PRELOAD",
              "LD_LIBRARY_PATH", "QML2_IMPORT_PATH", "XDG_DATA_DIRS", "FONTCONFIG_FILE", "PATH", "LC_",
              "DISPLAY_", "display", ""})
            QTest::newRow(name) << QByteArray(name);
    }
    void refusesWhatLoadsCode()
    {
        QFETCH(QByteArray, name);
        QVERIFY(!PortPrivilege::keepVariable(name));
    }

    void ordinaryStartKeepsEverything()
    {
        QVERIFY(!PortPrivilege::elevated());
        qputenv("QT_PLUGIN_PATH", "/tmp/elsewhere");
        PortPrivilege::restrictEnvironment();
        QCOMPARE(qgetenv("QT_PLUGIN_PATH"), QByteArray("/tmp/elsewhere"));
        qunsetenv("QT_PLUGIN_PATH");
    }
};

QTEST_GUILESS_MAIN(TestPortPrivilege)
#include "tst_port_privilege.moc"

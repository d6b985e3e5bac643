// Reading settings from a store that has grown large: one key opened and one
// value read, as every window does when it loads, in a settings file of N
// sections. The file's time is moved before each round, so every round reads
// and parses the file as the first read after a change does.
#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/stat.h>

#include "platform/Registry.h"

static void BM_SettingsOpenKey(benchmark::State& state) {
    QTemporaryDir dir;
    const QByteArray old = qgetenv("QUILLON_CONFIG_DIR");
    qputenv("QUILLON_CONFIG_DIR", dir.path().toUtf8());
    const int sections = int(state.range(0));
    QByteArray text;
    text.reserve(qsizetype(sections) * 48);
    for (int i = 0; i < sections; ++i)
        text += "[Software\\Quillon\\Key" + QByteArray::number(i) + "]\nValue=sz:text " + QByteArray::number(i) + "\n\n";
    const QString file = RegistryStore::ConfigFolder() + QStringLiteral("/HKEY_CURRENT_USER.ini");
    QFile out(file);
    if (!out.open(QIODevice::WriteOnly) || out.write(text) != text.size()) state.SkipWithError("cannot write");
    out.close();
    const QByteArray name = QFile::encodeName(file);
    const QString key = QStringLiteral("Software\\Quillon\\Key%1").arg(sections / 2);
    long tick = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const timespec times[2] = {{1000000 + ++tick, 0}, {1000000 + tick, 0}};
        ::utimensat(AT_FDCWD, name.constData(), times, 0);
        state.ResumeTiming();
        aaxRegistry reg;
        reg.Root(QStringLiteral("HKEY_CURRENT_USER"));
        if (!reg.OpenKey(key)) state.SkipWithError("key not found");
        if (reg.GetValue(QStringLiteral("Value")).isEmpty()) state.SkipWithError("value not found");
    }
    if (old.isEmpty()) qunsetenv("QUILLON_CONFIG_DIR");
    else qputenv("QUILLON_CONFIG_DIR", old);
}
BENCHMARK(BM_SettingsOpenKey)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

#include "cli/commands.h"

#include "data/business_schema.h"
#include "data/error.h"

#include <cstdio>

namespace cli {

int runInitDb(const QStringList& args)
{
    QStringList paths;
    bool demo = false;
    for (const QString& a : args) {
        if (a == QLatin1String("--demo"))
            demo = true;
        else if (a.startsWith(QLatin1String("--")))
            return fail(QStringLiteral("init-db: unknown option '%1'").arg(a));
        else
            paths << a;
    }
    if (paths.size() != 1)
        return fail(QStringLiteral("init-db: name exactly one database file (see --help)"));
    try {
        data::createBusinessDatabase(paths.first(), demo);
    } catch (const data::Error& e) {
        return fail(e.message());
    }
    std::printf("%s: business database created%s\n", paths.first().toUtf8().constData(), demo ? " with sample rows" : "");
    return 0;
}

} // namespace cli

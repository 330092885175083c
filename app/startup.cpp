#include "app/startup.h"

#include "app/database.h"
#include "app/forms.h"
#include "app/host.h"
#include "app/module1.h"
#include "app/paths.h"
#include "practice/form1.h"

#include <QSqlQuery>
#include <QSqlRecord>

namespace {

int columnOf(const QSqlRecord& record, const char* name, const QString& path) {
    const int index = record.indexOf(QLatin1String(name));
    if (index < 0)
        throw RuntimeError(RuntimeError::ItemNotFound,
                           QStringLiteral("The table 'verses' in '%1' has no column '%2'.")
                               .arg(path, QLatin1String(name)));
    return index;
}

} // namespace

void loadVerseLibrary(const QString& path) {
    const QString connection = QStringLiteral("tessaline-startup");
    // Start-up only reads: opened read-only so that nothing is ever written to the file here.
    QSqlDatabase db = Database::open(path, connection, Database::Mode::ReadOnly);
    QStringList titles{QString()};
    QStringList texts{QString()};
    try {
        QSqlQuery query(db);
        query.setForwardOnly(true);
        if (!query.exec(QStringLiteral("SELECT * FROM verses ORDER by title")))
            throw Database::errorFrom(query.lastError(), path);
        const QSqlRecord record = query.record();
        const int title = columnOf(record, "title", path);
        const int text = columnOf(record, "text", path);
        // A null field (a row added with only a title) reads as the empty string.
        while (query.next()) {
            titles.append(query.value(title).toString());
            texts.append(query.value(text).toString());
        }
        if (query.lastError().isValid())
            throw Database::errorFrom(query.lastError(), path);
    } catch (...) {
        db = QSqlDatabase();
        Database::close(connection);
        throw;
    }
    db = QSqlDatabase();
    Database::close(connection);

    Module1& s = shared();
    s.VerseCount = qint32(titles.size() - 1);
    s.VerseTitles = std::move(titles);
    s.VerseTexts = std::move(texts);
}

void Main() {
    loadVerseLibrary(Paths::versesPath());
    shared().PracticeMode = 0;
    Forms::show<Form1>();
}

bool start() {
    try {
        Main();
        return true;
    } catch (const RuntimeError& error) {
        Forms::unloadAll();
        Host::reportUncaught(error);
        return false;
    }
}

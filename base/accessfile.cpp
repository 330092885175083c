#include "base/accessfile.h"

#include "base/database.h"

#include <QDataStream>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QtEndian>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <optional>
#include <poll.h>
#include <sys/wait.h>
#include <type_traits>
#include <unistd.h>
#include <vector>

// libmdb's header wraps its own include of glib in extern "C", which C++ templates in glib's
// headers do not survive; included first, glib's include guards keep them out of it.
#include <glib.h>
#include <iconv.h>
#include <mdbtools.h>

namespace {

// The longest value the reader accepts: a verse is far shorter, and a larger length read from
// the file means damage rather than text.
constexpr guint32 LongestValueBytes = 16u << 20;

int stallTimeoutMs = 20000;

// libmdb, loaded the first time an Access file is read rather than with every start of the
// program: most starts never read one, and loading it up front made each of them measurably
// slower. The functions the reader uses, resolved from it.
struct MdbLibrary {
#define TESSALINE_MDB_FUNCTIONS(X)                                                                 \
    X(mdb_open)                                                                                    \
    X(mdb_close)                                                                                   \
    X(mdb_iconv_close)                                                                             \
    X(mdb_is_user_table)                                                                           \
    X(mdb_read_catalog)                                                                            \
    X(mdb_read_table)                                                                              \
    X(mdb_read_columns)                                                                            \
    X(mdb_free_tabledef)                                                                           \
    X(mdb_rewind_table)                                                                            \
    X(mdb_fetch_row)                                                                               \
    X(mdb_find_row)                                                                                \
    X(mdb_crack_row)                                                                               \
    X(mdb_get_int32)                                                                               \
    X(mdb_set_bind_size)                                                                           \
    X(mdb_col_to_string)                                                                           \
    X(g_free)
#define TESSALINE_MDB_POINTER(name) decltype(&::name) name = nullptr;
    TESSALINE_MDB_FUNCTIONS(TESSALINE_MDB_POINTER)
#undef TESSALINE_MDB_POINTER
};

QString libraryFileName = QStringLiteral(TESSALINE_LIBMDB_SONAME);
// Loaded from libraryFileName by the first read; naming another file forgets it.
std::optional<MdbLibrary> loaded;

RuntimeError notLoaded(const QString& why) {
    return RuntimeError(RuntimeError::FileNotFound,
                        QStringLiteral("Tessaline reads Access databases with the library libmdb, "
                                       "which could not be loaded (%1). Install the package "
                                       "libmdb3 (sudo apt install libmdb3), then try again.")
                            .arg(why));
}

MdbLibrary load(const QString& name) {
    // Kept loaded for the rest of the run: what it returned may still be in use.
    void* handle = ::dlopen(QFile::encodeName(name).constData(), RTLD_NOW | RTLD_LOCAL);
    if (!handle)
        throw notLoaded(QString::fromLocal8Bit(::dlerror()));
    MdbLibrary library;
    const auto resolve = [&](auto& function, const char* symbol) {
        function =
            reinterpret_cast<std::remove_reference_t<decltype(function)>>(::dlsym(handle, symbol));
        if (!function)
            throw notLoaded(
                QStringLiteral("%1 has no function %2").arg(name, QString::fromLatin1(symbol)));
    };
#define TESSALINE_MDB_RESOLVE(name) resolve(library.name, #name);
    TESSALINE_MDB_FUNCTIONS(TESSALINE_MDB_RESOLVE)
#undef TESSALINE_MDB_RESOLVE
    return library;
}

// The library, loaded on the first call; a call after a failed one tries again.
const MdbLibrary& libmdb() {
    if (!loaded)
        loaded = load(libraryFileName);
    return *loaded;
}

// libmdb takes its output encoding and a Jet 3 file's code page from the environment
// (MDBICONV, MDB_JET3_CHARSET); the reader needs UTF-8, and the code page the file names.
bool convertToUtf8(MdbHandle* mdb) {
    QByteArray from = "UTF-16LE";
    if (mdb->f->jet_version == MDB_VER_JET3)
        from = "CP" + QByteArray::number(mdb->f->code_page ? mdb->f->code_page : 1252);
    const iconv_t in = iconv_open("UTF-8", from.constData());
    if (in == iconv_t(-1))
        return false;
    const iconv_t out = iconv_open(from.constData(), "UTF-8");
    if (out == iconv_t(-1)) {
        iconv_close(in);
        return false;
    }
    libmdb().mdb_iconv_close(mdb);
    mdb->iconv_in = in;
    mdb->iconv_out = out;
    return true;
}

QString nameOf(const char* name) {
    return QString::fromUtf8(name);
}

bool isOwnTable(const MdbCatalogEntry* entry) {
    return entry->object_type == MDB_TABLE &&
           libmdb().mdb_is_user_table(const_cast<MdbCatalogEntry*>(entry)) &&
           !nameOf(entry->object_name).startsWith(QLatin1String("MSys"), Qt::CaseInsensitive);
}

// What a column holds, for a message, when it is not something the reader turns into text.
QString notText(int type) {
    switch (type) {
    case MDB_TEXT:
    case MDB_MEMO:
    case MDB_BYTE:
    case MDB_INT:
    case MDB_LONGINT:
        return {};
    case MDB_BOOL:
        return QStringLiteral("yes/no values");
    case MDB_DATETIME:
        return QStringLiteral("dates");
    case MDB_OLE:
    case MDB_BINARY:
        return QStringLiteral("pictures or other binary data");
    default:
        return QStringLiteral("decimal numbers or other values");
    }
}

struct TableDef {
    MdbTableDef* def = nullptr;
    ~TableDef() {
        if (def)
            libmdb().mdb_free_tabledef(def);
    }
};

} // namespace

struct AccessFile::Handle {
    MdbHandle* mdb = nullptr;
    ~Handle() {
        if (mdb)
            libmdb().mdb_close(mdb);
    }
};

bool AccessFile::hasSignature(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray head = file.read(19);
    return head.startsWith(QByteArray("\x00\x01\x00\x00", 4)) &&
           (head.mid(4) == "Standard Jet DB" || head.mid(4) == "Standard ACE DB");
}

AccessFile::AccessFile(const QString& path) : m_path(path), m_handle(new Handle) {
    try {
        QFile probe(path);
        if (!probe.open(QIODevice::ReadOnly))
            throw Database::accessUnreadable(path, probe.errorString());
        probe.close();
        m_handle->mdb = libmdb().mdb_open(QFile::encodeName(path).constData(), MDB_NOFLAGS);
        if (!m_handle->mdb)
            throw Database::accessUnreadable(path, QStringLiteral("its header is not one libmdb "
                                                                  "knows"));
        if (!convertToUtf8(m_handle->mdb))
            throw Database::accessUnreadable(
                path,
                QStringLiteral("its code page %1 is unknown").arg(m_handle->mdb->f->code_page));
        // Every Access file lists its own system tables: a catalogue without them was not read.
        if (!libmdb().mdb_read_catalog(m_handle->mdb, MDB_TABLE) || m_handle->mdb->num_catalog == 0)
            throw Database::accessUnreadable(path, QStringLiteral("its list of tables cannot be "
                                                                  "read"));
    } catch (...) {
        delete m_handle;
        throw;
    }
}

AccessFile::~AccessFile() {
    delete m_handle;
}

QStringList AccessFile::tables() const {
    QStringList names;
    MdbHandle* mdb = m_handle->mdb;
    for (unsigned i = 0; i < mdb->num_catalog; ++i) {
        const auto* entry = static_cast<MdbCatalogEntry*>(g_ptr_array_index(mdb->catalog, i));
        if (isOwnTable(entry))
            names.append(nameOf(entry->object_name));
    }
    return names;
}

QList<AccessFile::Row> AccessFile::rows(const QString& table, const QStringList& columns,
                                        const Progress& progress) const {
    MdbHandle* mdb = m_handle->mdb;
    MdbCatalogEntry* found = nullptr;
    for (unsigned i = 0; i < mdb->num_catalog && !found; ++i) {
        auto* entry = static_cast<MdbCatalogEntry*>(g_ptr_array_index(mdb->catalog, i));
        if (entry->object_type == MDB_TABLE &&
            nameOf(entry->object_name).compare(table, Qt::CaseInsensitive) == 0)
            found = entry;
    }
    if (!found)
        throw Database::accessTableMissing(m_path, table, tables());
    TableDef t{libmdb().mdb_read_table(found)};
    if (!t.def || !libmdb().mdb_read_columns(t.def))
        throw Database::accessUnreadable(
            m_path, QStringLiteral("the table '%1' cannot be read").arg(table));
    const QString tableName = nameOf(t.def->name);

    // Which of the table's columns each asked-for one is.
    QStringList present;
    for (unsigned i = 0; i < t.def->num_cols; ++i)
        present.append(nameOf(static_cast<MdbColumn*>(g_ptr_array_index(t.def->columns, i))->name));
    std::vector<int> wanted;
    QStringList missing;
    for (const QString& name : columns) {
        int index = -1;
        for (int i = 0; i < present.size() && index < 0; ++i)
            if (present[i].compare(name, Qt::CaseInsensitive) == 0)
                index = i;
        if (index < 0)
            missing.append(name);
        wanted.push_back(index);
    }
    if (!missing.isEmpty())
        throw Database::accessColumnsMissing(m_path, tableName, missing, present);
    for (int index : wanted) {
        const auto* column = static_cast<MdbColumn*>(g_ptr_array_index(t.def->columns, index));
        const QString what = notText(column->col_type);
        if (!what.isEmpty())
            throw Database::accessColumnNotText(m_path, tableName, present[index], what);
    }

    QList<Row> result;
    const qint64 total = t.def->num_rows;
    std::vector<MdbField> fields(t.def->num_cols);
    const size_t usualBindSize = mdb->bind_size;
    libmdb().mdb_rewind_table(t.def);
    // mdb_fetch_row steps over deleted rows and leaves the row it found on the page in pg_buf;
    // cracking it again tells a NULL from an empty text, which the bound values do not.
    while (libmdb().mdb_fetch_row(t.def)) {
        const qint64 rowNumber = result.size() + 1;
        int start = 0;
        size_t length = 0;
        if (libmdb().mdb_find_row(mdb, int(t.def->cur_row) - 1, &start, &length) != 0)
            throw Database::accessValueDamaged(m_path, tableName, present[wanted.front()],
                                               rowNumber);
        const int cracked = libmdb().mdb_crack_row(t.def, start & 0x1fff, length, fields.data());
        Row row;
        for (int index : wanted) {
            const auto* column = static_cast<MdbColumn*>(g_ptr_array_index(t.def->columns, index));
            const MdbField* field = nullptr;
            for (int f = 0; f < cracked && !field; ++f)
                if (fields[f].colnum == index)
                    field = &fields[f];
            if (!field)
                throw Database::accessValueDamaged(m_path, tableName, present[index], rowNumber);
            if (field->is_null) {
                row.append(QVariant());
                continue;
            }
            // A memo's text may be stored on other pages; libmdb writes it into a buffer of
            // bind_size bytes, so that must hold the longest UTF-8 its stored bytes can give.
            guint32 stored = 0;
            if (column->col_type == MDB_MEMO && field->siz >= MDB_MEMO_OVERHEAD) {
                stored = guint32(libmdb().mdb_get_int32(mdb->pg_buf, field->start)) & 0x3fffffffu;
                if (stored > LongestValueBytes)
                    throw Database::accessValueDamaged(m_path, tableName, present[index],
                                                       rowNumber);
                libmdb().mdb_set_bind_size(mdb,
                                           qMax<size_t>(usualBindSize, size_t(stored) * 3 + 16));
            }
            char* text = libmdb().mdb_col_to_string(mdb, mdb->pg_buf, field->start,
                                                    column->col_type, field->siz);
            libmdb().mdb_set_bind_size(mdb, usualBindSize);
            const QString value = QString::fromUtf8(text ? text : "");
            libmdb().g_free(text);
            // libmdb gives an empty text when it cannot follow a memo to its pages.
            if (stored > 0 && value.isEmpty())
                throw Database::accessValueDamaged(m_path, tableName, present[index], rowNumber);
            row.append(value);
        }
        result.append(row);
        if (progress)
            progress(result.size(), qMax(total, qint64(result.size())));
    }
    return result;
}

namespace {

// What the reading child tells its parent: messages of one kind byte and a payload, each
// framed as a QDataStream byte array.
enum Kind : char { Step = 'P', Rows = 'R', Failure = 'E' };

bool writeAll(int fd, const QByteArray& bytes) {
    qsizetype written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + written, size_t(bytes.size() - written));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        written += n;
    }
    return true;
}

template <class... Values> bool send(int fd, Kind kind, const Values&... values) {
    QByteArray payload;
    {
        QDataStream stream(&payload, QIODevice::WriteOnly);
        stream << qint8(kind);
        (stream << ... << values);
    }
    QByteArray framed;
    QDataStream frame(&framed, QIODevice::WriteOnly);
    frame << payload;
    return writeAll(fd, framed);
}

[[noreturn]] void readInChild(int fd, const QString& path, const QString& table,
                              const QStringList& columns) {
    // libmdb's warnings on a damaged file run to thousands of lines; the parent says what is
    // wrong in a sentence.
    const int quiet = ::open("/dev/null", O_WRONLY);
    if (quiet >= 0) {
        ::dup2(quiet, STDOUT_FILENO);
        ::dup2(quiet, STDERR_FILENO);
    }
    QElapsedTimer sinceStep;
    sinceStep.start();
    bool sent = false;
    try {
        const QList<AccessFile::Row> rows =
            AccessFile(path).rows(table, columns, [&](qint64 done, qint64 total) {
                if (done == total || sinceStep.elapsed() >= 20) {
                    send(fd, Step, done, total);
                    sinceStep.restart();
                }
            });
        sent = send(fd, Rows, rows);
    } catch (const RuntimeError& error) {
        sent = send(fd, Failure, qint32(error.number()), error.description());
    } catch (...) {
    }
    ::_exit(sent ? 0 : 1);
}

// Ends the child however the parent leaves: a child still reading is stopped.
struct Child {
    pid_t pid = -1;
    int fd = -1;
    ~Child() {
        if (fd >= 0)
            ::close(fd);
        if (pid > 0) {
            ::kill(pid, SIGKILL);
            while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
            }
        }
    }
};

} // namespace

QList<AccessFile::Row> AccessFile::readGuarded(const QString& path, const QString& table,
                                               const QStringList& columns,
                                               const Progress& progress) {
    // Loaded here, so the child has it and a missing library is told as such.
    libmdb();
    int pipeFds[2];
    if (::pipe(pipeFds) != 0)
        throw Database::accessUnreadable(path, QString::fromLocal8Bit(std::strerror(errno)));
    Child child;
    child.pid = ::fork();
    if (child.pid == 0) {
        ::close(pipeFds[0]);
        readInChild(pipeFds[1], path, table, columns);
    }
    ::close(pipeFds[1]);
    child.fd = pipeFds[0];
    if (child.pid < 0)
        throw Database::accessUnreadable(path, QString::fromLocal8Bit(std::strerror(errno)));

    QByteArray received;
    QDeadlineTimer stall(stallTimeoutMs);
    for (;;) {
        // Every whole message received so far.
        while (received.size() >= 4) {
            const quint32 length = qFromBigEndian<quint32>(received.constData());
            if (quint32(received.size() - 4) < length)
                break;
            QDataStream stream(received.mid(4, length));
            received.remove(0, 4 + qsizetype(length));
            qint8 kind = 0;
            stream >> kind;
            if (kind == Step) {
                qint64 done = 0, total = 0;
                stream >> done >> total;
                if (progress)
                    progress(done, total);
            } else if (kind == Rows) {
                QList<Row> rows;
                stream >> rows;
                if (stream.status() == QDataStream::Ok)
                    return rows;
            } else if (kind == Failure) {
                qint32 number = 0;
                QString description;
                stream >> number >> description;
                throw RuntimeError(number, description);
            }
        }
        pollfd ready{child.fd, POLLIN, 0};
        const int polled = ::poll(&ready, 1, int(qMax<qint64>(0, stall.remainingTime())));
        if (polled < 0 && errno == EINTR)
            continue;
        if (polled == 0)
            throw Database::accessUnreadable(
                path, QStringLiteral("libmdb made no progress on it for %1 seconds")
                          .arg(stallTimeoutMs / 1000.0));
        char buffer[65536];
        const ssize_t n = ::read(child.fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            throw Database::accessUnreadable(path, QStringLiteral("libmdb failed on it"));
        received.append(buffer, n);
        stall = QDeadlineTimer(stallTimeoutMs);
    }
}

void AccessFile::setStallTimeoutMs(int ms) {
    stallTimeoutMs = ms;
}

void AccessFile::setLibraryFileName(const QString& fileName) {
    libraryFileName = fileName.isEmpty() ? QStringLiteral(TESSALINE_LIBMDB_SONAME) : fileName;
    loaded.reset();
}

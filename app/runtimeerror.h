#pragma once

#include <QString>
#include <exception>

// A failure that no handler dealt with: a number and a description, reported to the user
// by the one place that catches what escapes an event handler (see TessalineApp).
class RuntimeError : public std::exception {
public:
    RuntimeError(int number, QString description);

    int number() const { return m_number; }
    QString description() const { return m_description; }
    const char* what() const noexcept override { return m_what.constData(); }

    // Numbers used where the failure is ours rather than the database engine's.
    enum : int {
        InvalidArgument = 5,
        SubscriptOutOfRange = 9,
        TypeMismatch = 13,
        Internal = 51, // a failure outside the program's own errors
        FileNotFound = 53,
        DiskFull = 61,
        PermissionDenied = 70,
        PathFileAccess = 75,
        NoCurrentRecord = 3021,
        DatabaseNotFound = 3024,
        DatabaseDamaged = 3049,
        ReadOnlyTable = 3027,
        InvalidBookmark = 3159,
        RowRemoved = 3167,
        RowChanged = 3197,
        FileReplaced = 3196,
        TableNotFound = 3078,
        ItemNotFound = 3265,
        DatabaseLocked = 3260,
        BadFileFormat = 3274,
        NotADatabase = 3343,
    };

private:
    int m_number;
    QString m_description;
    QByteArray m_what;
};

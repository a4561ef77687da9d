#pragma once
// Disks the way a shop meets them, for tests: a small disk that fills up, and a read-only one.
// Both are tmpfs mounts, so they need root; available() says why not otherwise, and the tests
// skip. Everything is unmounted and removed again by the destructor.
#include <QString>
#include <QTemporaryDir>
#include <memory>

class SmallDisk {
public:
    explicit SmallDisk(qint64 bytes);
    ~SmallDisk();
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    static bool available(QString* why);
    bool isValid() const { return mounted_; }
    QString errorString() const { return error_; }
    QString path() const;  // ends with "/"

    qint64 bytesAvailable() const;
    // Writes a filler file so that about `free` bytes stay available.
    bool leaveFree(qint64 free);
    // Mounts the disk again read-only (and back).
    bool setReadOnly(bool readOnly);

private:
    QTemporaryDir dir_;
    QString mountPoint_;
    QString error_;
    bool mounted_ = false;
};

// A data folder whose database.mdb cannot be written. Root writes any file whatever its
// permissions, so as root the folder is a read-only disk; otherwise the file (or the folder)
// loses its write permission.
class ReadOnlyData {
public:
    enum class Kind { File, Folder, Disk };
    // Copies the database of sourceFolder into a folder of that kind.
    ReadOnlyData(Kind kind, const QString& sourceFolder);
    ~ReadOnlyData();
    // Whether the kind can be made here (a disk needs root; permissions bind only non-root).
    static bool available(Kind kind, QString* why);
    bool isValid() const { return valid_; }
    QString errorString() const { return error_; }
    QString path() const { return folder_; }  // ends with "/"

private:
    Kind kind_;
    QTemporaryDir dir_;
    std::unique_ptr<SmallDisk> disk_;
    QString folder_;
    QString error_;
    bool valid_ = false;
};

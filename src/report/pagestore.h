#pragma once
// Prepared pages kept compact, for the preview and for printing what was previewed: each page,
// once laid out, is packed (its drawing operations serialised and compressed) and kept in
// memory up to a budget, the rest in one temporary file removed with the store. A page is
// unpacked again when asked for; the last few stay unpacked, so painting and scrolling do not
// unpack the same page over and over.
#include <QByteArray>
#include <QHash>
#include <QSizeF>
#include <QString>
#include <memory>
#include <vector>

#include "report/layout.h"
#include "report/prepared.h"

class QTemporaryFile;

namespace report {

class PageStore : public PageSink {
public:
    static constexpr qint64 kDefaultMemoryBudget = 32 * 1024 * 1024;

    // memoryBudget: bytes of packed pages kept in memory before the rest go to the file;
    // folder: where the file goes (empty = the system's temporary folder).
    explicit PageStore(qint64 memoryBudget = kDefaultMemoryBudget, const QString& folder = {});
    ~PageStore() override;
    PageStore(const PageStore&) = delete;
    PageStore& operator=(const PageStore&) = delete;

    // Packs the page. A page that cannot be kept (the file cannot be written) stops the layout
    // with PageSinkError: no page is ever dropped silently.
    void page(PreparedPage&& page) override;

    int count() const { return int(pages_.size()); }
    QSizeF pageSize(int index) const;
    // The page as it was added; nullptr when index is out of range or the page cannot be read
    // back (errorString() says why).
    std::shared_ptr<const PreparedPage> at(int index) const;

    // The page count, known only when all are laid out: its placeholder is replaced as pages
    // are read back.
    bool keepsPages() const override { return true; }
    void setPageTotal(const QString& placeholder, int total) override;

    qint64 memoryBytes() const { return memory_.size(); }
    qint64 fileBytes() const { return fileSize_; }
    QString errorString() const { return error_; }

private:
    struct Chunk {
        qint64 pos = 0;
        qint32 size = 0;
        bool inFile = false;
    };
    struct Entry {
        Chunk chunk;
        QSizeF size;
    };

    Chunk put(const QByteArray& data);
    bool get(const Chunk& chunk, QByteArray* out) const;
    qint32 imageId(const QImage& image);
    QImage image(qint32 id) const;
    QByteArray pack(const PreparedPage& page);
    bool unpack(const QByteArray& packed, PreparedPage* page) const;

    qint64 budget_;
    QString folder_;
    QByteArray memory_;
    std::unique_ptr<QTemporaryFile> file_;
    qint64 fileSize_ = 0;
    std::vector<Entry> pages_;
    std::vector<Chunk> images_;
    QHash<qint64, qint32> imageIds_;  // QImage::cacheKey() -> id: a picture repeated on every
                                      // page is kept once
    QByteArray buffer_;               // reused while packing
    QString marker_;
    QString markerValue_;
    mutable std::vector<std::pair<int, std::shared_ptr<const PreparedPage>>> cache_;
    mutable std::vector<std::pair<qint32, QImage>> imageCache_;
    mutable QString error_;
};

}  // namespace report

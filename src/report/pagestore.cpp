#include "report/pagestore.h"

#include <QBuffer>
#include <QColorSpace>
#include <QDataStream>
#include <QDir>
#include <QTemporaryFile>
#include <algorithm>

namespace report {

namespace {

// zlib's fastest level: pages are texts repeated row after row, which even it packs tightly.
constexpr int kCompression = 1;
// Enough for every page the preview shows at its smallest zoom.
constexpr size_t kPageCache = 12;
constexpr size_t kImageCache = 4;
constexpr QDataStream::Version kStreamVersion = QDataStream::Qt_6_0;

enum OpFlag : quint8 { Bold = 1, Italic = 2, Underline = 4, KeepAspect = 8 };
enum FrameSide : quint8 { Left = 1, Top = 2, Right = 4, Bottom = 8 };

// Names and fonts repeat on every row of a page: each is written once and then by number.
class StringsOut {
public:
    void write(QDataStream& out, const QString& s) {
        const auto it = ids_.constFind(s);
        if (it != ids_.constEnd()) {
            out << *it;
            return;
        }
        out << quint32(0) << s;
        ids_.insert(s, quint32(ids_.size() + 1));
    }

private:
    QHash<QString, quint32> ids_;
};

class StringsIn {
public:
    bool read(QDataStream& in, QString* s) {
        quint32 id = 0;
        in >> id;
        if (id == 0) {
            in >> *s;
            known_.push_back(*s);
            return in.status() == QDataStream::Ok;
        }
        if (id > known_.size()) return false;
        *s = known_[id - 1];
        return true;
    }

private:
    std::vector<QString> known_;
};

QByteArray packImage(const QImage& img) {
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(kStreamVersion);
    out << qint32(img.width()) << qint32(img.height()) << qint32(img.format())
        << qint64(img.bytesPerLine()) << qint32(img.dotsPerMeterX()) << qint32(img.dotsPerMeterY())
        << img.devicePixelRatio() << img.colorTable() << img.colorSpace().isValid();
    if (img.colorSpace().isValid()) out << img.colorSpace();
    out.writeRawData(reinterpret_cast<const char*>(img.constBits()), int(img.sizeInBytes()));
    return qCompress(bytes, kCompression);
}

QImage unpackImage(const QByteArray& packed) {
    const QByteArray bytes = qUncompress(packed);
    QDataStream in(bytes);
    in.setVersion(kStreamVersion);
    qint32 w = 0, h = 0, format = 0, dpmX = 0, dpmY = 0;
    qint64 bpl = 0;
    double ratio = 1;
    QList<QRgb> colors;
    bool hasSpace = false;
    QColorSpace space;
    in >> w >> h >> format >> bpl >> dpmX >> dpmY >> ratio >> colors >> hasSpace;
    if (hasSpace) in >> space;
    if (in.status() != QDataStream::Ok || format <= QImage::Format_Invalid ||
        format >= QImage::NImageFormats)
        return {};
    QImage img(w, h, QImage::Format(format));
    // The same format and width give the same line length on every run of the program.
    if (img.isNull() || img.bytesPerLine() != bpl) return {};
    if (in.readRawData(reinterpret_cast<char*>(img.bits()), int(img.sizeInBytes())) !=
        img.sizeInBytes())
        return {};
    img.setDotsPerMeterX(dpmX);
    img.setDotsPerMeterY(dpmY);
    img.setDevicePixelRatio(ratio);
    img.setColorTable(colors);
    img.setColorSpace(space);
    return img;
}

}  // namespace

PageStore::PageStore(qint64 memoryBudget, const QString& folder)
    : budget_(memoryBudget), folder_(folder.isEmpty() ? QDir::tempPath() : folder) {}

PageStore::~PageStore() = default;

void PageStore::page(PreparedPage&& page) {
    const QByteArray packed = pack(page);
    pages_.push_back({put(packed), page.size});
}

QSizeF PageStore::pageSize(int index) const {
    return index >= 0 && index < count() ? pages_[size_t(index)].size : QSizeF();
}

PageStore::Chunk PageStore::put(const QByteArray& data) {
    Chunk c;
    c.size = qint32(data.size());
    if (!file_ && memory_.size() + data.size() <= budget_) {
        c.pos = memory_.size();
        memory_.append(data);
        return c;
    }
    // Past the budget everything goes to the file, in the order laid out.
    if (!file_) {
        auto file = std::make_unique<QTemporaryFile>(
            QDir(folder_).filePath(QStringLiteral("vinorda-pagine-XXXXXX")));
        if (!file->open())
            throw PageSinkError{
                QStringLiteral("Impossibile creare il file temporaneo delle pagine in \"%1\": %2")
                    .arg(QDir::toNativeSeparators(folder_), file->errorString())};
        file_ = std::move(file);
    }
    // Written through at once, so a full disk shows here and not at some later read.
    if (!file_->seek(fileSize_) || file_->write(data) != data.size() || !file_->flush())
        throw PageSinkError{
            QStringLiteral("Impossibile scrivere il file temporaneo delle pagine \"%1\": %2")
                .arg(QDir::toNativeSeparators(file_->fileName()), file_->errorString())};
    c.pos = fileSize_;
    c.inFile = true;
    fileSize_ += data.size();
    return c;
}

bool PageStore::get(const Chunk& chunk, QByteArray* out) const {
    if (!chunk.inFile) {
        *out = QByteArray::fromRawData(memory_.constData() + chunk.pos, chunk.size);
        return true;
    }
    if (file_ && file_->seek(chunk.pos)) {
        *out = file_->read(chunk.size);
        if (out->size() == chunk.size) return true;
    }
    error_ = QStringLiteral("Impossibile leggere il file temporaneo delle pagine \"%1\": %2")
                 .arg(QDir::toNativeSeparators(file_ ? file_->fileName() : folder_),
                      file_ ? file_->errorString() : QString());
    return false;
}

qint32 PageStore::imageId(const QImage& image) {
    if (image.isNull()) return -1;
    const auto it = imageIds_.constFind(image.cacheKey());
    if (it != imageIds_.constEnd()) return *it;
    const qint32 id = qint32(images_.size());
    images_.push_back(put(packImage(image)));
    imageIds_.insert(image.cacheKey(), id);
    return id;
}

QImage PageStore::image(qint32 id) const {
    if (id < 0 || size_t(id) >= images_.size()) return {};
    for (const auto& [key, img] : imageCache_)
        if (key == id) return img;
    QByteArray packed;
    if (!get(images_[size_t(id)], &packed)) return {};
    const QImage img = unpackImage(packed);
    if (imageCache_.size() >= kImageCache) imageCache_.erase(imageCache_.begin());
    imageCache_.emplace_back(id, img);
    return img;
}

QByteArray PageStore::pack(const PreparedPage& page) {
    buffer_.resize(0);
    QBuffer device(&buffer_);
    device.open(QIODevice::WriteOnly);
    QDataStream out(&device);
    out.setVersion(kStreamVersion);
    StringsOut strings;
    out << page.size << quint32(page.ops.size());
    for (const DrawOp& op : page.ops) {
        out << quint8(op.kind) << op.rect;
        strings.write(out, op.objectName);
        out << quint32(op.lines.size());
        for (const QString& line : op.lines) out << line;
        strings.write(out, op.fontFamily);
        out << op.fontSize
            << quint8((op.bold ? Bold : 0) | (op.italic ? Italic : 0) |
                      (op.underline ? Underline : 0) | (op.keepAspect ? KeepAspect : 0))
            << quint8(op.hAlign) << quint8(op.vAlign) << op.lineHeight;
        out << op.textColor << op.fillColor;
        const Frame& f = op.frame;
        out << quint8((f.left ? Left : 0) | (f.top ? Top : 0) | (f.right ? Right : 0) |
                      (f.bottom ? Bottom : 0))
            << f.width << f.color << op.lineWidth << op.lineColor << imageId(op.image) << op.bars
            << op.symbolSize << quint32(op.barTexts.size());
        for (const DrawOp::BarText& t : op.barTexts) out << t.pos << t.size << t.text;
    }
    return qCompress(buffer_, kCompression);
}

bool PageStore::unpack(const QByteArray& packed, PreparedPage* page) const {
    const QByteArray bytes = qUncompress(packed);
    if (bytes.isEmpty()) return false;
    QDataStream in(bytes);
    in.setVersion(kStreamVersion);
    StringsIn strings;
    quint32 ops = 0;
    in >> page->size >> ops;
    if (in.status() != QDataStream::Ok) return false;
    page->ops.clear();
    page->ops.reserve(ops);
    for (quint32 i = 0; i < ops; ++i) {
        DrawOp op;
        quint8 kind = 0, flags = 0, h = 0, v = 0, sides = 0;
        quint32 lines = 0, texts = 0;
        qint32 imageId = -1;
        in >> kind >> op.rect;
        if (!strings.read(in, &op.objectName)) return false;
        in >> lines;
        if (in.status() != QDataStream::Ok || lines > quint32(bytes.size())) return false;
        op.lines.reserve(lines);
        for (quint32 l = 0; l < lines; ++l) {
            QString line;
            in >> line;
            if (!marker_.isEmpty()) line.replace(marker_, markerValue_);
            op.lines.append(line);
        }
        if (!strings.read(in, &op.fontFamily)) return false;
        in >> op.fontSize >> flags >> h >> v >> op.lineHeight >> op.textColor >> op.fillColor;
        in >> sides >> op.frame.width >> op.frame.color >> op.lineWidth >> op.lineColor;
        in >> imageId >> op.bars >> op.symbolSize >> texts;
        if (in.status() != QDataStream::Ok || texts > quint32(bytes.size())) return false;
        op.barTexts.reserve(texts);
        for (quint32 t = 0; t < texts; ++t) {
            DrawOp::BarText bt;
            in >> bt.pos >> bt.size >> bt.text;
            op.barTexts.append(bt);
        }
        if (in.status() != QDataStream::Ok) return false;
        op.kind = DrawOp::Kind(kind);
        op.bold = flags & Bold;
        op.italic = flags & Italic;
        op.underline = flags & Underline;
        op.keepAspect = flags & KeepAspect;
        op.hAlign = HAlign(h);
        op.vAlign = VAlign(v);
        op.frame.left = sides & Left;
        op.frame.top = sides & Top;
        op.frame.right = sides & Right;
        op.frame.bottom = sides & Bottom;
        if (imageId >= 0) {
            op.image = image(imageId);
            if (op.image.isNull()) return false;
        }
        page->ops.push_back(std::move(op));
    }
    return true;
}

std::shared_ptr<const PreparedPage> PageStore::at(int index) const {
    if (index < 0 || index >= count()) return nullptr;
    for (auto it = cache_.begin(); it != cache_.end(); ++it) {
        if (it->first != index) continue;
        auto found = it->second;
        // The most recent last.
        cache_.erase(it);
        cache_.emplace_back(index, found);
        return found;
    }
    QByteArray packed;
    if (!get(pages_[size_t(index)].chunk, &packed)) return nullptr;
    auto page = std::make_shared<PreparedPage>();
    if (!unpack(packed, page.get())) {
        error_ = QStringLiteral("La pagina %1 preparata non si può rileggere.").arg(index + 1);
        return nullptr;
    }
    if (cache_.size() >= kPageCache) cache_.erase(cache_.begin());
    cache_.emplace_back(index, page);
    return page;
}

void PageStore::setPageTotal(const QString& placeholder, int total) {
    marker_ = placeholder;
    markerValue_ = QString::number(total);
    cache_.clear();
}

}  // namespace report

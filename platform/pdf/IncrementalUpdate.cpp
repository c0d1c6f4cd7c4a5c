// Writing an edited document as an incremental update: the original bytes stay as they are
// (a signature over them still verifies for its revision) and only what changed follows them.

#include "platform/pdf/QpdfEditing.h"

#include <qpdf/Buffer.hh>
#include <qpdf/QPDFCryptoProvider.hh>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <map>

namespace ikw::pdf::detail {

namespace {

struct CrossReference {
    std::size_t offset = 0;
    bool isStream = false;
};

// The last cross-reference section the original's "startxref" names.
std::optional<CrossReference> lastCrossReference(const std::string& bytes)
{
    const std::size_t keyword = bytes.rfind("startxref");
    if (keyword == std::string::npos)
        return std::nullopt;
    std::size_t at = keyword + 9;
    while (at < bytes.size() && std::isspace(static_cast<unsigned char>(bytes[at])))
        ++at;
    std::size_t offset = 0;
    const std::size_t digits = at;
    while (at < bytes.size() && std::isdigit(static_cast<unsigned char>(bytes[at])) && at - digits < 15)
        offset = offset * 10 + static_cast<std::size_t>(bytes[at++] - '0');
    if (at == digits || offset >= bytes.size())
        return std::nullopt;
    if (bytes.compare(offset, 4, "xref") == 0)
        return CrossReference { offset, false };
    if (std::isdigit(static_cast<unsigned char>(bytes[offset])))
        return CrossReference { offset, true };
    return std::nullopt;
}

// Strings and streams of a protected file's new objects are encrypted with the file's key, as
// the security handler of the original says.
class ObjectEncryption {
public:
    explicit ObjectEncryption(QPDF& document)
    {
        int permissions = 0;
        m_enabled = document.isEncrypted(m_revision, permissions, m_version, m_streams, m_strings, m_files);
        if (m_enabled)
            m_key = document.getEncryptionKey();
        QPDFObjectHandle encrypt = document.getTrailer().getKey("/Encrypt");
        QPDFObjectHandle metadata = encrypt.isDictionary() ? encrypt.getKey("/EncryptMetadata") : QPDFObjectHandle::newNull();
        m_encryptsMetadata = !metadata.isBool() || metadata.getBoolValue();
    }

    bool encryptsStream(QPDFObjectHandle dictionary) const
    {
        if (!m_enabled)
            return false;
        QPDFObjectHandle type = dictionary.getKey("/Type");
        if (type.isName() && type.getName() == "/Metadata")
            return m_encryptsMetadata;
        return true;
    }

    std::string stream(const std::string& data, QPDFObjGen object) const { return crypt(data, object, m_streams); }

    // A copy of the value whose strings are encrypted (indirect references stay as they are).
    QPDFObjectHandle withEncryptedStrings(QPDFObjectHandle value, QPDFObjGen object) const
    {
        if (!m_enabled || value.isIndirect())
            return value;
        if (value.isString())
            return QPDFObjectHandle::newString(crypt(value.getStringValue(), object, m_strings));
        if (value.isArray()) {
            std::vector<QPDFObjectHandle> items;
            for (QPDFObjectHandle item : value.aitems())
                items.push_back(withEncryptedStrings(item, object));
            return QPDFObjectHandle::newArray(items);
        }
        if (value.isDictionary()) {
            std::map<std::string, QPDFObjectHandle> items;
            for (const auto& [key, item] : value.ditems())
                items.emplace(key, withEncryptedStrings(item, object));
            return QPDFObjectHandle::newDictionary(items);
        }
        return value;
    }

private:
    std::string crypt(const std::string& data, QPDFObjGen object, QPDF::encryption_method_e method) const
    {
        if (method == QPDF::e_none)
            return data;
        if (method != QPDF::e_rc4 && method != QPDF::e_aes && method != QPDF::e_aesv3)
            throw std::runtime_error("unknown encryption method");
        const bool aes = method != QPDF::e_rc4;
        const std::string key = QPDF::compute_data_key(m_key, object.getObj(), object.getGen(), aes, m_version, m_revision);
        const auto* keyBytes = reinterpret_cast<const unsigned char*>(key.data());
        const std::shared_ptr<QPDFCryptoImpl> crypto = QPDFCryptoProvider::getImpl();
        if (!aes) {
            std::string out(data.size(), '\0');
            crypto->RC4_init(keyBytes, static_cast<int>(key.size()));
            crypto->RC4_process(reinterpret_cast<const unsigned char*>(data.data()), data.size(), reinterpret_cast<unsigned char*>(out.data()));
            crypto->RC4_finalize();
            return out;
        }
        constexpr std::size_t kBlock = QPDFCryptoImpl::rijndael_buf_size;
        unsigned char chain[kBlock];
        crypto->provideRandomData(chain, kBlock);
        std::string out(reinterpret_cast<const char*>(chain), kBlock);
        // PKCS#5 padding: always 1 to 16 bytes, each holding the count.
        std::string padded = data;
        padded.append(kBlock - data.size() % kBlock, static_cast<char>(kBlock - data.size() % kBlock));
        crypto->rijndael_init(true, keyBytes, key.size(), true, chain);
        for (std::size_t at = 0; at < padded.size(); at += kBlock) {
            unsigned char in[kBlock];
            unsigned char encrypted[kBlock];
            std::copy_n(padded.data() + at, kBlock, in);
            crypto->rijndael_process(in, encrypted);
            out.append(reinterpret_cast<const char*>(encrypted), kBlock);
        }
        crypto->rijndael_finalize();
        return out;
    }

    bool m_enabled = false;
    bool m_encryptsMetadata = true;
    int m_revision = 0;
    int m_version = 0;
    QPDF::encryption_method_e m_streams = QPDF::e_none;
    QPDF::encryption_method_e m_strings = QPDF::e_none;
    QPDF::encryption_method_e m_files = QPDF::e_none;
    std::string m_key;
};

// Every indirect object the document reaches from its catalog and information dictionary;
// objects that were taken out (removed pages) are nulls.
std::vector<QPDFObjectHandle> reachableObjects(QPDF& document)
{
    std::map<QPDFObjGen, QPDFObjectHandle> found;
    std::vector<QPDFObjectHandle> pending { document.getTrailer().getKey("/Root"), document.getTrailer().getKey("/Info") };
    while (!pending.empty()) {
        QPDFObjectHandle value = pending.back();
        pending.pop_back();
        if (value.isIndirect() && !found.emplace(value.getObjGen(), value).second)
            continue;
        if (value.isStream())
            value = value.getDict();
        if (value.isArray()) {
            for (QPDFObjectHandle item : value.aitems())
                pending.push_back(item);
        } else if (value.isDictionary()) {
            for (const auto& [key, item] : value.ditems())
                pending.push_back(item);
        }
    }
    std::vector<QPDFObjectHandle> objects;
    for (auto& [objGen, object] : found)
        objects.push_back(object);
    return objects;
}

std::string rawStreamData(QPDFObjectHandle stream)
{
    const std::shared_ptr<Buffer> data = stream.getRawStreamData();
    return std::string(reinterpret_cast<const char*>(data->getBuffer()), data->getSize());
}

bool unchanged(QPDFObjectHandle edited, QPDFObjectHandle original)
{
    // A removed object that something still points at is written as null: the original's
    // object must not show through.
    if (edited.isNull())
        return original.isNull();
    if (original.isNull() || edited.isStream() != original.isStream())
        return false;
    if (!edited.isStream())
        return edited.unparseResolved() == original.unparseResolved();
    return edited.getDict().unparseResolved() == original.getDict().unparseResolved()
        && rawStreamData(edited) == rawStreamData(original);
}

std::string objectText(QPDFObjectHandle object, const ObjectEncryption& encryption)
{
    const QPDFObjGen id = object.getObjGen();
    std::string text = std::to_string(id.getObj()) + " " + std::to_string(id.getGen()) + " obj\n";
    if (object.isNull())
        return text + "null\nendobj\n";
    if (!object.isStream())
        return text + encryption.withEncryptedStrings(object.shallowCopy(), id).unparseResolved() + "\nendobj\n";
    QPDFObjectHandle dictionary = object.getDict().shallowCopy();
    std::string data = rawStreamData(object);
    if (encryption.encryptsStream(dictionary))
        data = encryption.stream(data, id);
    dictionary.replaceKey("/Length", QPDFObjectHandle::newInteger(static_cast<long long>(data.size())));
    return text + encryption.withEncryptedStrings(dictionary, id).unparseResolved() + "\nstream\n" + data + "\nendstream\nendobj\n";
}

// Object numbers in runs of consecutive ones: (first, count).
std::vector<std::pair<int, int>> numberRuns(const std::map<int, std::pair<std::size_t, int>>& entries)
{
    std::vector<std::pair<int, int>> runs;
    for (const auto& [number, entry] : entries) {
        if (!runs.empty() && runs.back().first + runs.back().second == number)
            ++runs.back().second;
        else
            runs.emplace_back(number, 1);
    }
    return runs;
}

// The trailer entries an update repeats from the original, then its own.
std::string trailerEntries(QPDF& original, int size, std::size_t previous)
{
    QPDFObjectHandle trailer = original.getTrailer();
    std::string entries = "/Size " + std::to_string(size);
    for (const char* key : { "/Root", "/Info", "/Encrypt", "/ID" }) {
        QPDFObjectHandle value = trailer.getKey(key);
        if (!value.isNull())
            entries += std::string(" ") + key + " " + value.unparse();
    }
    return entries + " /Prev " + std::to_string(previous);
}

void appendTable(std::string& out, QPDF& original, const std::map<int, std::pair<std::size_t, int>>& entries, int size, std::size_t previous)
{
    const std::size_t start = out.size();
    out += "xref\n";
    for (const auto& [first, count] : numberRuns(entries)) {
        out += std::to_string(first) + " " + std::to_string(count) + "\n";
        for (int number = first; number < first + count; ++number) {
            char line[24];
            std::snprintf(line, sizeof line, "%010zu %05d n \n", entries.at(number).first, entries.at(number).second);
            out += line;
        }
    }
    out += "trailer\n<< " + trailerEntries(original, size, previous) + " >>\nstartxref\n" + std::to_string(start) + "\n%%EOF\n";
}

// A cross-reference stream for originals that use them (never encrypted); it takes the number
// `size` for itself.
void appendStream(std::string& out, QPDF& original, std::map<int, std::pair<std::size_t, int>> entries, int size, std::size_t previous)
{
    const std::size_t start = out.size();
    entries.emplace(size, std::make_pair(start, 0));
    std::string data;
    for (const auto& [number, entry] : entries) {
        data += '\x01';
        for (int shift = 32; shift >= 0; shift -= 8)
            data += static_cast<char>((entry.first >> shift) & 0xff);
        data += static_cast<char>((entry.second >> 8) & 0xff);
        data += static_cast<char>(entry.second & 0xff);
    }
    std::string index;
    for (const auto& [first, count] : numberRuns(entries))
        index += std::to_string(first) + " " + std::to_string(count) + " ";
    out += std::to_string(size) + " 0 obj\n<< /Type /XRef /W [1 5 2] /Index [" + index + "] " + trailerEntries(original, size + 1, previous)
        + " /Length " + std::to_string(data.size()) + " >>\nstream\n" + data + "\nendstream\nendobj\nstartxref\n" + std::to_string(start)
        + "\n%%EOF\n";
}

}

std::optional<std::string> incrementalUpdate(const std::string& original, QPDF& edited)
{
    const std::optional<CrossReference> previous = lastCrossReference(original);
    if (!previous)
        return std::nullopt;
    QPDF before;
    before.setSuppressWarnings(true);
    before.processMemoryFile("original", original.data(), original.size());
    const ObjectEncryption encryption(edited);

    std::string out = original;
    if (!out.ends_with('\n'))
        out += '\n';
    std::map<int, std::pair<std::size_t, int>> entries;
    int size = std::max(1, before.getTrailer().getKey("/Size").isInteger() ? before.getTrailer().getKey("/Size").getIntValueAsInt() : 1);
    for (QPDFObjectHandle object : reachableObjects(edited)) {
        const QPDFObjGen id = object.getObjGen();
        size = std::max(size, id.getObj() + 1);
        if (unchanged(object, before.getObjectByObjGen(id)))
            continue;
        entries.emplace(id.getObj(), std::make_pair(out.size(), id.getGen()));
        out += objectText(object, encryption);
    }
    if (previous->isStream)
        appendStream(out, before, entries, size, previous->offset);
    else
        appendTable(out, before, entries, size, previous->offset);
    return out;
}

}

#include "ui/markup/xml_reader.h"

#include <vector>

#include "ui/core/skin_resource_reader.h"
#include "ui/markup/xml_parser.h"

namespace {

// Far above any skin; it keeps the character count of the decoded text within an int.
constexpr uint32_t kMaxDecodableSize = 0x3FFFFFFF;

const wchar_t* MessageFor(SkinReadResult result) {
    switch (result) {
        case SkinReadResult::Ok: return L"";
        case SkinReadResult::FileOpenFailed: return L"Error opening file";
        case SkinReadResult::FileEmpty: return L"File is empty";
        case SkinReadResult::FileTooLarge: return L"File too large";
        case SkinReadResult::FileReadFailed: return L"Could not read file";
        case SkinReadResult::ArchiveOpenFailed: return L"Error opening zip file";
        case SkinReadResult::EntryNotFound: return L"Could not find ziped file";
        case SkinReadResult::UnzipFailed: return L"Could not unzip file";
        case SkinReadResult::OutOfMemory: return L"Out of memory";
    }
    return L"Could not read file";
}

}  // namespace

bool CXmlReader::Fail(const wchar_t* message) {
    m_doc.Release();
    m_doc.SetError(message, nullptr);
    return false;
}

bool CXmlReader::ParseDecoded(const DecodedText& decoded) {
    if (decoded.text == nullptr) {
        return Fail(L"Out of memory");
    }
    m_doc.AdoptText(decoded.text, decoded.length, decoded.capacity);
    if (!ParseXmlDocument(m_doc)) {
        m_doc.Release();  // keeps the error buffers
        return false;
    }
    return true;
}

bool CXmlReader::LoadText(const wchar_t* text) {
    m_doc.Release();
    m_doc.ClearError();
    return ParseDecoded(CopySkinText(text != nullptr ? text : L""));
}

bool CXmlReader::LoadBytes(const void* bytes, uint32_t size) {
    m_doc.Release();
    m_doc.ClearError();
    if (size > kMaxDecodableSize) {
        return Fail(L"File too large");
    }
    return ParseDecoded(DecodeSkinBytes(bytes, size));
}

bool CXmlReader::LoadSkinFile(const wchar_t* name) {
    m_doc.Release();
    m_doc.ClearError();
    std::vector<unsigned char> bytes;
    SkinReadResult result = ReadSkinResource(name, kMaxFileSize, &bytes);
    if (result != SkinReadResult::Ok) {
        return Fail(MessageFor(result));
    }
    return LoadBytes(bytes.data(), static_cast<uint32_t>(bytes.size()));
}

void CXmlReader::Clear() {
    m_doc.Release();
}

CXmlNode CXmlReader::RootNode() const {
    if (m_doc.text == nullptr || m_doc.elementCount < 2) {
        return CXmlNode();
    }
    return CXmlNode(&m_doc, 1);
}

size_t CXmlReader::MemoryUsed() const {
    return static_cast<size_t>(m_doc.textCapacity) * sizeof(wchar_t) +
           static_cast<size_t>(m_doc.elementCapacity) * sizeof(XmlElementRecord);
}

#include "ui/markup/xml_reader.h"

#include <vector>

#include "ui/core/skin_resource_reader.h"
#include "ui/markup/xml_decode.h"
#include "ui/markup/xml_parser.h"

namespace {

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
    }
    return L"Could not read file";
}

}  // namespace

bool CXmlReader::Fail(const wchar_t* message) {
    m_doc.Release();
    m_doc.SetError(message, nullptr);
    return false;
}

bool CXmlReader::ParseAdopted(wchar_t* text, uint32_t length) {
    m_doc.AdoptText(text, length);
    if (!ParseXmlDocument(m_doc)) {
        m_doc.Release();  // keeps the error buffers
        return false;
    }
    return true;
}

bool CXmlReader::LoadText(const wchar_t* text) {
    m_doc.Release();
    m_doc.ClearError();
    uint32_t length = 0;
    wchar_t* copy = CopySkinText(text != nullptr ? text : L"", &length);
    if (copy == nullptr) {
        return Fail(L"Out of memory");
    }
    return ParseAdopted(copy, length);
}

bool CXmlReader::LoadBytes(const void* bytes, uint32_t size) {
    m_doc.Release();
    m_doc.ClearError();
    uint32_t length = 0;
    wchar_t* text = DecodeSkinBytes(bytes, size, &length);
    if (text == nullptr) {
        return Fail(L"File too large");
    }
    return ParseAdopted(text, length);
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
    size_t text = m_doc.text != nullptr ? (static_cast<size_t>(m_doc.textLength) + 1) * sizeof(wchar_t) : 0;
    return text + static_cast<size_t>(m_doc.elementCapacity) * sizeof(XmlElementRecord);
}

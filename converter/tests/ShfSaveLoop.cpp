// Saves two .shf documents to one path in turn, until it is killed: the
// program that the test of killed saves stops at random moments.
#include "SheafDocument.h"
#include "SheafFile.h"
#include "SheafResult.h"

#include <windows.h>

#include <string>
#include <vector>

using namespace sheaf;

namespace {

SheafDocument documentOf(uint32_t words, uint32_t seed) {
    SheafDocument document;
    RecordBuffer record;
    for (uint32_t i = 0; i < words; ++i) {
        record.appendWord(i * seed);
    }
    document.append(record);
    return document;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        return 2;
    }
    const std::string target = argv[1];
    // Of different lengths, so that a cut file cannot pass for either.
    const std::vector<SheafDocument> versions = {documentOf(60000, 3), documentOf(45000, 7)};
    for (size_t v = 0; v < versions.size(); ++v) {
        const std::string copy = target + ".v" + std::to_string(v);
        if (saveDocument(versions[v], copy.c_str()) != kResultOk) {
            return 1;
        }
    }
    if (saveDocument(versions[0], target.c_str()) != kResultOk) {
        return 1;
    }
    CloseHandle(CreateFileA((target + ".ready").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            0, nullptr));
    for (size_t i = 1;; ++i) {
        saveDocument(versions[i % versions.size()], target.c_str());
    }
}

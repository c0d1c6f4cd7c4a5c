#pragma once

#include "platform/core/FileSystem.h"
#include "platform/secrets/SecretStore.h"

#include <string>

namespace ikw::secrets {

// Secrets in one JSON file for machines without a secret service: mode 0600 from the moment the
// file exists, every change an atomic replacement. Values are kept as Base64 so that any bytes
// survive.
class FileSecretStore final : public SecretStore {
public:
    // `path` names the file (in the product's folder); its folder is made on the first save.
    explicit FileSecretStore(std::string path, FileSystem& fileSystem = realFileSystem());

    std::string_view name() const override { return "file"; }
    SecretResult load(const SecretKey& key) override;
    SecretResult save(const SecretKey& key, std::string_view value) override;
    SecretResult remove(const SecretKey& key) override;

    const std::string& path() const { return m_path; }

private:
    SecretResult change(const SecretKey& key, std::string_view value);

    std::string m_path;
    FileSystem& m_fileSystem;
};

}

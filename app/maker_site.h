#pragma once
// The maker's web server: the product page shown in the header and the home of the
// tool's version file and releases.

namespace orvel {

constexpr const char* kMakerHost = "www.orvel.com.br";
constexpr const char* kProductPage = "www.orvel.com.br/orvel";

}  // namespace orvel

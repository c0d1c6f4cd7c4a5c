#pragma once

#include <string>
#include <string_view>

namespace ikw::ui {

// A call of a page-defined function that does nothing when the page lacks it and never throws:
// "if(window.f){try{f(args)}catch(e){}}". `arguments` is already JavaScript (quoted strings, JSON).
std::string guardedCall(std::string_view function, std::string_view arguments);

}

#include "platform/ui/PageScript.h"

namespace ikw::ui {

std::string guardedCall(std::string_view function, std::string_view arguments)
{
    std::string script;
    script.reserve(arguments.size() + 2 * function.size() + 32);
    script.append("if(window.").append(function).append("){try{");
    script.append(function).append("(").append(arguments).append(")}catch(e){}}");
    return script;
}

}

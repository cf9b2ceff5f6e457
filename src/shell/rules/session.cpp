#include "shell/rules/session.h"

namespace kq::shell {

Session &session()
{
    static Session current;
    return current;
}

} // namespace kq::shell

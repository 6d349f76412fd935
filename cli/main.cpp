// tessaro-cli: the editor's document commands without a window.
//   tessaro-cli info FILE
//   tessaro-cli convert INPUT OUTPUT
//   tessaro-cli apply INPUT OUTPUT [--layers] [--history] [--ops-file FILE] OP...
//   tessaro-cli ops
// Exit status 0 on success, 1 on failure (the message on standard error, also when
// standard output could not be written), 2 for a usage error.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <new>
#include <string>
#include <vector>

#include "BatchRun.h"
#include "Messages.h"

namespace {

int Usage() {
    std::fprintf(stderr,
                 "usage: tessaro-cli info FILE\n"
                 "       tessaro-cli convert INPUT OUTPUT\n"
                 "       tessaro-cli apply INPUT OUTPUT [--layers] [--history] [--ops-file FILE]... OP...\n"
                 "       tessaro-cli ops\n"
                 "  OP is NAME or NAME:KEY=VALUE,KEY=VALUE... (NAME a command id, its key or a named operation)\n"
                 "  --ops-file FILE reads OPs there, one a line ('#' starts a comment line)\n");
    return 2;
}

int Run(const std::vector<std::string>& args) {
    if (args.empty()) return Usage();
    const std::string command = args[0];
    if (command == "ops" && args.size() == 1) return batch::ListOperations();
    if (command == "info" && args.size() == 2) return batch::Info(args[1]);
    if (command == "convert" && args.size() == 3) return batch::Convert(args[1], args[2]);
    if (command == "apply" && args.size() >= 3) {
        batch::ApplyOptions options;
        options.input = args[1];
        options.output = args[2];
        for (size_t i = 3; i < args.size(); ++i) {
            if (args[i] == "--layers") options.printLayers = true;
            else if (args[i] == "--history") options.printHistory = true;
            else if (args[i] == "--ops-file") {
                if (++i == args.size()) return Usage();
                std::string error;
                if (!batch::ReadOpsFile(args[i], options.ops, error)) {
                    std::fprintf(stderr, "%s\n", error.c_str());
                    return 2;
                }
            } else if (args[i].rfind("--", 0) == 0) return Usage();
            else options.ops.push_back({args[i], {}});
        }
        return batch::Apply(options);
    }
    return Usage();
}

}  // namespace

int main(int argc, char** argv) {
    int status = 1;
    // Whatever escapes a run still unwinds it, so that its step folder is removed.
    try {
        status = Run(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "%s\n", msg::kAllocMemory);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
    }
    // What was printed must have arrived (a full disk, a closed pipe): otherwise the
    // run failed, whatever it did besides.
    errno = 0;
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        std::fprintf(stderr, "%s\n", std::strerror(errno ? errno : EIO));
        if (status != 2) status = 1;
    }
    return status;
}

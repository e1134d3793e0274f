#include "platform/appkit/ns_application.h"

int main(int argc, char** argv) {
    return platform::NSApplicationMain(argc, argv);
}

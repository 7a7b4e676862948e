#include "app/startup.h"

int main(int argc, char** argv) {
    return dn::app::run(argc, argv);
}

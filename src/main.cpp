#include "app/ConfigApp.h"

int main(int argc, char** argv) {
    return AfxWinMain(&theApp, argc, argv);
}

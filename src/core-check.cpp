// Built with every object of pagiscopo_core and without Qt Widgets; see src/CMakeLists.txt.
int main()
{
    return 0;
}

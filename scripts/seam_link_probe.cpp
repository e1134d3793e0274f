// Linked with every object of the layers above the platform and the toolkit's backend alone (see
// the top-level CMakeLists.txt): it builds only while those layers call nothing but the
// platform's own interfaces. It is never run.
int main() {
    return 0;
}

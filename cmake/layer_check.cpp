// Linked with one layer's whole library and the layers it may use: it
// builds only when no object of the layer needs anything from above.
int main() { return 0; }

/* A program that does nothing: the floor for the start-up workload. */
int main(void) {
    return 0;
}

// A console program that does nothing: its time from start to exit is what
// starting any process costs under this Windows (or Wine).
int main()
{
    return 0;
}

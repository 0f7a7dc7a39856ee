// Placeholder so the library has a translation unit until the subsystem lands.
namespace tavrino_labels {
int linkAnchor()
{
    return 0;
}
} // namespace tavrino_labels

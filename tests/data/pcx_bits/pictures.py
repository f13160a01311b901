# Writes the known pictures the PCX samples were made from (PPM); the PCX tests compute the same pictures.
import sys
def bit(x, y): return 1 if (x // 7 + y // 5) % 3 == 0 else 0
def colour(k): return (k * 17, 255 - k * 17, k * 53 % 256)
kind, w, h, out = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), sys.argv[4]
with open(out, 'wb') as f:
    f.write(b'P6\n%d %d\n255\n' % (w, h))
    for y in range(h):
        for x in range(w):
            if kind == 'bits':
                f.write(bytes((255, 255, 255) if bit(x, y) else (0, 0, 0)))
            else:
                f.write(bytes(colour((x // 4 + y // 3 * 5) % 16)))

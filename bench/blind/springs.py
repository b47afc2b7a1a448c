# Two masses between two walls, joined wall to mass to mass to wall by three springs, with a
# little damping and a push on the first mass that flips its direction every 700 steps. Moves
# them n steps of 1 ms by the semi-implicit Euler rule (accelerations, then velocities, then
# places). Counts the first mass's upward crossings of its rest place and keeps the second
# mass's widest swing, the first's mean square displacement and the highest energy. Reports
# those and where both masses end.
# Every number is printed with "%g", as Azuvel prints it.


def main():
    n = 3000000
    dt = 0.001
    k1, k2, k3 = 40, 25, 30
    m1, m2 = 1, 1.5
    damp = 0.05
    x1, v1 = 0.2, 0
    x2, v2 = 0 - 0.1, 0
    tick, push = 0, 1
    side, crossings, peak, sq, most = 1, 0, 0, 0, 0
    step = 0
    while step < n:
        step += 1
        tick += 1
        if tick == 700:
            tick = 0
            push = 0 - push
        force = push * 0.5
        stretch = x2 - x1
        a1 = (k2 * stretch - k1 * x1 - damp * v1 + force) / m1
        a2 = (0 - k2 * stretch - k3 * x2 - damp * v2) / m2
        v1 = v1 + a1 * dt
        v2 = v2 + a2 * dt
        x1 = x1 + v1 * dt
        x2 = x2 + v2 * dt
        if x1 > 0:
            if side < 0:
                crossings += 1
            side = 1
        if x1 < 0:
            side = 0 - 1
        if x2 > peak:
            peak = x2
        if 0 - x2 > peak:
            peak = 0 - x2
        sq = sq + x1 * x1
        stretch = x2 - x1
        energy = (m1 * v1 * v1 + m2 * v2 * v2 + k1 * x1 * x1 + k2 * stretch * stretch
                  + k3 * x2 * x2) / 2
        if energy > most:
            most = energy
    print("crossings %g widest swing %g mean square %g" % (crossings, peak, sq / n))
    print("highest energy %g last places %g %g" % (most, x1, x2))


if __name__ == "__main__":
    main()

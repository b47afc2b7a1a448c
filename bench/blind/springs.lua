-- Two masses between two walls, joined wall to mass to mass to wall by three springs, with a
-- little damping and a push on the first mass that flips its direction every 700 steps. Moves
-- them n steps of 1 ms by the semi-implicit Euler rule (accelerations, then velocities, then
-- places). Counts the first mass's upward crossings of its rest place and keeps the second
-- mass's widest swing, the first's mean square displacement and the highest energy. Reports
-- those and where both masses end.
-- Every number is printed with "%g", as Azuvel prints it.
local n = 3000000
local dt = 0.001
local k1, k2, k3 = 40, 25, 30
local m1, m2 = 1, 1.5
local damp = 0.05
local x1, v1 = 0.2, 0
local x2, v2 = 0 - 0.1, 0
local tick, push = 0, 1
local side, crossings, peak, sq, most = 1, 0, 0, 0, 0
local step = 0
while step < n do
    step = step + 1
    tick = tick + 1
    if tick == 700 then
        tick = 0
        push = 0 - push
    end
    local force = push * 0.5
    local stretch = x2 - x1
    local a1 = (k2 * stretch - k1 * x1 - damp * v1 + force) / m1
    local a2 = (0 - k2 * stretch - k3 * x2 - damp * v2) / m2
    v1 = v1 + a1 * dt
    v2 = v2 + a2 * dt
    x1 = x1 + v1 * dt
    x2 = x2 + v2 * dt
    if x1 > 0 then
        if side < 0 then crossings = crossings + 1 end
        side = 1
    end
    if x1 < 0 then side = 0 - 1 end
    if x2 > peak then peak = x2 end
    if 0 - x2 > peak then peak = 0 - x2 end
    sq = sq + x1 * x1
    stretch = x2 - x1
    local energy = (m1 * v1 * v1 + m2 * v2 * v2 + k1 * x1 * x1 + k2 * stretch * stretch
        + k3 * x2 * x2) / 2
    if energy > most then most = energy end
end
print(string.format("crossings %g widest swing %g mean square %g", crossings, peak, sq / n))
print(string.format("highest energy %g last places %g %g", most, x1, x2))

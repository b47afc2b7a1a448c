-- Many variables: a lagged Fibonacci generator, t = v1 + v25 modulo 1000, kept in 48 named
-- variables that shift down one place a step, with tallies of the values in eight bins:
-- about 60 variables used in one loop. Every number is printed with "%g", as Azuvel does.
local n = 3000000
local i = 0
local t = 0
local sum = 0
local bin0, bin1, bin2, bin3, bin4, bin5, bin6, bin7 = 0, 0, 0, 0, 0, 0, 0, 0
local v1, v2, v3, v4, v5, v6, v7, v8 = 48, 85, 122, 159, 196, 233, 270, 307
local v9, v10, v11, v12, v13, v14, v15, v16 = 344, 381, 418, 455, 492, 529, 566, 603
local v17, v18, v19, v20, v21, v22, v23, v24 = 640, 677, 714, 751, 788, 825, 862, 899
local v25, v26, v27, v28, v29, v30, v31, v32 = 936, 973, 10, 47, 84, 121, 158, 195
local v33, v34, v35, v36, v37, v38, v39, v40 = 232, 269, 306, 343, 380, 417, 454, 491
local v41, v42, v43, v44, v45, v46, v47, v48 = 528, 565, 602, 639, 676, 713, 750, 787
while i < n do
    t = v1 + v25
    if t > 999 then t = t - 1000 end
    v1 = v2; v2 = v3; v3 = v4; v4 = v5; v5 = v6; v6 = v7; v7 = v8; v8 = v9
    v9 = v10; v10 = v11; v11 = v12; v12 = v13; v13 = v14; v14 = v15; v15 = v16; v16 = v17
    v17 = v18; v18 = v19; v19 = v20; v20 = v21; v21 = v22; v22 = v23; v23 = v24; v24 = v25
    v25 = v26; v26 = v27; v27 = v28; v28 = v29; v29 = v30; v30 = v31; v31 = v32; v32 = v33
    v33 = v34; v34 = v35; v35 = v36; v36 = v37; v37 = v38; v38 = v39; v39 = v40; v40 = v41
    v41 = v42; v42 = v43; v43 = v44; v44 = v45; v45 = v46; v46 = v47; v47 = v48
    v48 = t
    sum = sum + t
    if t < 500 then
        if t < 250 then
            if t < 125 then
                bin0 = bin0 + 1
            else
                bin1 = bin1 + 1
            end
        else
            if t < 375 then
                bin2 = bin2 + 1
            else
                bin3 = bin3 + 1
            end
        end
    else
        if t < 750 then
            if t < 625 then
                bin4 = bin4 + 1
            else
                bin5 = bin5 + 1
            end
        else
            if t < 875 then
                bin6 = bin6 + 1
            else
                bin7 = bin7 + 1
            end
        end
    end
    i = i + 1
end
print(string.format("%g %g %g %g %g %g %g %g", bin0, bin1, bin2, bin3, bin4, bin5, bin6, bin7))
print(string.format("%g %g %g %g %g %g %g %g %g", sum / n, v1, v2, v3, v4, v5, v6, v7, v8))
